// The sender's and the fetcher's loops.
#include "mail/mail_robot.h"

#include <ostream>

#include "mail/imap_mailbox.h"
#include "mail/mail_intake.h"
#include "mail/smtp_relay.h"

namespace zelk::mail {

namespace {

constexpr std::chrono::seconds kLongestWait{3600};
// How often the outbox is looked at when nothing is due: letters written by
// `zelk mail-in` in another process are seen this soon.
constexpr std::chrono::milliseconds kOutboxLook{1000};

}  // namespace

MailRobot::MailRobot(serve::App& app, RobotSettings settings, std::ostream& log)
    : m_app(app), m_settings(std::move(settings)), m_log(log) {
    StartCurl();
    if (m_settings.relay) {
        m_sender = std::thread([this] {
            while (true) {
                bool sent = false;
                try {
                    sent = SendOne();
                } catch (const std::exception& problem) {
                    Say(std::string("mail out: ") + problem.what());
                }
                if (!Wait(sent ? m_settings.betweenLetters : kOutboxLook)) {
                    return;
                }
            }
        });
    }
    if (m_settings.mailbox) {
        m_fetcher = std::thread([this] {
            do {
                try {
                    FetchOnce();
                } catch (const std::exception& problem) {
                    Say(std::string("mail in: ") + problem.what());
                }
            } while (Wait(m_settings.fetchEvery));
        });
    }
}

MailRobot::~MailRobot() {
    Stop();
}

void MailRobot::Stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
    }
    m_wake.notify_all();
    if (m_sender.joinable()) {
        m_sender.join();
    }
    if (m_fetcher.joinable()) {
        m_fetcher.join();
    }
}

bool MailRobot::Wait(std::chrono::milliseconds time) {
    std::unique_lock lock(m_mutex);
    return !m_wake.wait_for(lock, time, [this] { return m_stopped; });
}

void MailRobot::Say(const std::string& line) {
    std::lock_guard lock(m_logMutex);
    m_log << serve::UtcText(serve::Now()) << " " << line << std::endl;
}

bool MailRobot::SendOne() {
    const auto letter = m_app.outbox.NextDue(serve::Now());
    if (!letter) {
        return false;
    }
    SmtpRelay relay(*m_settings.relay);
    const SendResult result =
        relay.Send(m_settings.from.address, letter->to, RenderLetter(*letter, m_settings.from));
    const std::string what = "mail out: letter " + std::to_string(letter->id) + " (" +
                             serve::KindName(letter->kind) + ") to " + letter->to;
    switch (result.outcome) {
        case SendResult::Outcome::kAccepted:
            m_app.outbox.MarkSent(letter->id, result.answer, serve::Now());
            Say(what + ": sent");
            break;
        case SendResult::Outcome::kRefused:
            m_app.outbox.MarkFailed(letter->id, result.answer);
            Say(what + ": refused: " + result.answer);
            break;
        case SendResult::Outcome::kTryAgain: {
            if (letter->tries + 1 >= m_settings.tries) {
                m_app.outbox.MarkFailed(letter->id, result.answer);
                Say(what + ": failed after " + std::to_string(letter->tries + 1) +
                    " tries: " + result.answer);
                break;
            }
            auto wait = m_settings.firstRetry;
            for (int64_t i = 0; i < letter->tries && wait < kLongestWait; ++i) {
                wait *= 2;
            }
            wait = std::min(wait, kLongestWait);
            m_app.outbox.MarkRetry(letter->id, result.answer, serve::Now() + wait);
            Say(what + ": not sent, again in " + std::to_string(wait.count()) +
                " s: " + result.answer);
            break;
        }
    }
    return true;
}

std::size_t MailRobot::FetchOnce() {
    ImapMailbox mailbox(*m_settings.mailbox);
    MailLedger ledger(m_app.dir.database);
    const std::size_t limit = MessageLimit(m_app.settings.Current()->maxUploadBytes);
    std::size_t taken = 0;
    for (const uint64_t uid : mailbox.Untaken()) {
        {
            std::lock_guard lock(m_mutex);
            if (m_stopped) {
                break;
            }
        }
        const ImapMailbox::Fetched message = mailbox.Fetch(uid, limit);
        const MailOutcome outcome =
            TakeMail(message.bytes, m_app, ledger, serve::Now(), std::nullopt, message.tooLarge);
        // Marked only now that it is stored: a kill before this fetches it again.
        mailbox.MarkTaken(uid);
        Say("mail in: message " + std::to_string(uid) + ": " + outcome.summary);
        ++taken;
    }
    return taken;
}

}  // namespace zelk::mail
