// The robot's two loops beside `zelk serve`'s web intake, each on a thread
// of its own: the sender takes the outbox's letters due, one at a time and
// paced, to the relay (sent, failed for good with the relay's answer, or
// tried again later, each wait twice the last up to an hour); the fetcher
// takes the mailbox's new messages every so often, each stored before it is
// marked. Stop() ends both within a second or so; a letter or a message
// under way when the process is killed is simply tried again at the next
// start.
#pragma once

#include <chrono>
#include <condition_variable>
#include <iosfwd>
#include <mutex>
#include <optional>
#include <thread>

#include "mail/letter_mime.h"
#include "mail/mail_server.h"
#include "serve/app.h"

namespace zelk::mail {

struct RobotSettings {
    std::optional<MailServer> relay;    // --smtp
    std::optional<MailServer> mailbox;  // --imap
    Sender from;                        // --mail-from
    std::chrono::seconds fetchEvery{60};
    std::chrono::seconds firstRetry{60};
    std::chrono::milliseconds betweenLetters{1000};  // the pace
    int tries = 30;                                  // then the letter is failed
};

class MailRobot {
  public:
    // `log` gets a line for each letter and message; it must outlive the robot.
    MailRobot(serve::App& app, RobotSettings settings, std::ostream& log);
    ~MailRobot();
    MailRobot(const MailRobot&) = delete;
    MailRobot& operator=(const MailRobot&) = delete;

    void Stop();

    // One pass of each, for a caller that runs them itself.
    // The letter sent or tried, or false when none was due.
    bool SendOne();
    std::size_t FetchOnce();

  private:
    bool Wait(std::chrono::milliseconds time);  // false once stopped
    void Say(const std::string& line);

    serve::App& m_app;
    RobotSettings m_settings;
    std::ostream& m_log;
    std::mutex m_logMutex;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopped = false;
    std::thread m_sender;
    std::thread m_fetcher;
};

}  // namespace zelk::mail
