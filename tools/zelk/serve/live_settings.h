// The settings zelk serve runs with, and how they follow the contest's rules
// file while it runs: the deadline, the contest's name and information, and
// the upload limits come from CONTEST_DIR/contest.toml (its [serve] table)
// and are read again when the file changes, so that a deadline moved by a
// day needs no restart; the flags given at start override the file's keys.
// The listen address, the time-outs and the workers stay as started.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <variant>

#include "serve/serve_settings.h"

namespace zelk::serve {

// What the command line says over the rules file's [serve] table; unset
// where no flag was given.
struct ServeFlags {
    std::optional<UtcTime> deadline;
    std::optional<std::size_t> maxUploadBytes;
    std::optional<int> uploadsAtOnce;
    std::optional<int> uploadsPerHour;
    std::optional<std::string> publicUrl;
};

// `base` with `rules` in it, their [serve] table's keys over its values, and
// the flags over those.
ServeSettings WithRules(ServeSettings base, adjudication::CheckRules rules,
                        const ServeFlags& flags);

class LiveSettings {
  public:
    using ReadRules = std::function<std::variant<adjudication::CheckRules, std::string>()>;

    // Settings that stay as given.
    explicit LiveSettings(ServeSettings settings);
    // `first`, then whatever the rules file `file` gives once it changes
    // (its time, size or identity, or whether it is there; looked at no
    // more than once a second): it is read again through `read` and
    // WithRules(base, rules, flags) taken. A file that cannot be read
    // leaves the settings as they were, and Problem() says why.
    LiveSettings(ServeSettings first, ServeSettings base, ServeFlags flags,
                 std::filesystem::path file, ReadRules read);
    LiveSettings(const LiveSettings&) = delete;
    LiveSettings& operator=(const LiveSettings&) = delete;

    // The settings now; a request holds on to one value throughout.
    std::shared_ptr<const ServeSettings> Current();

    // Why the file's last change could not be taken; empty when it was.
    std::string Problem();
    // The file followed; empty when the settings stay as given.
    const std::filesystem::path& File() const { return m_file; }

  private:
    struct Stamp {
        bool exists = false;
        uintmax_t device = 0, inode = 0, size = 0;
        int64_t modified = 0, changed = 0;

        bool operator==(const Stamp&) const = default;
    };
    static Stamp StampOf(const std::filesystem::path& file);

    std::mutex m_mutex;
    std::shared_ptr<const ServeSettings> m_current;
    ServeSettings m_base;
    ServeFlags m_flags;
    std::filesystem::path m_file;
    ReadRules m_read;
    Stamp m_stamp;
    std::chrono::steady_clock::time_point m_looked{};
    std::string m_problem;
};

}  // namespace zelk::serve
