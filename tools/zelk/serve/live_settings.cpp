// The settings from the rules file and the flags, followed while serving.
#include "serve/live_settings.h"

#include <sys/stat.h>

#include <iostream>

namespace zelk::serve {

namespace {

constexpr std::chrono::seconds kLookEvery{1};

}  // namespace

ServeSettings WithRules(ServeSettings base, adjudication::CheckRules rules,
                        const ServeFlags& flags) {
    const adjudication::IntakeRules& intake = rules.intake;
    if (intake.deadline) {
        base.deadline = UtcTime{std::chrono::minutes{*intake.deadline}};
    }
    if (intake.maxUploadBytes) {
        base.maxUploadBytes = static_cast<std::size_t>(*intake.maxUploadBytes);
    }
    base.uploadsAtOnce = intake.uploadsAtOnce.value_or(base.uploadsAtOnce);
    base.uploadsPerHour = intake.uploadsPerHour.value_or(base.uploadsPerHour);
    if (!intake.publicUrl.empty()) {
        base.publicUrl = intake.publicUrl;
    }
    if (flags.deadline) {
        base.deadline = flags.deadline;
    }
    base.maxUploadBytes = flags.maxUploadBytes.value_or(base.maxUploadBytes);
    base.uploadsAtOnce = flags.uploadsAtOnce.value_or(base.uploadsAtOnce);
    base.uploadsPerHour = flags.uploadsPerHour.value_or(base.uploadsPerHour);
    base.publicUrl = flags.publicUrl.value_or(base.publicUrl);
    base.rules = std::move(rules);
    return base;
}

LiveSettings::LiveSettings(ServeSettings settings)
    : m_current(std::make_shared<const ServeSettings>(settings)), m_base(std::move(settings)) {}

LiveSettings::LiveSettings(ServeSettings first, ServeSettings base, ServeFlags flags,
                           std::filesystem::path file, ReadRules read)
    : m_current(std::make_shared<const ServeSettings>(std::move(first))),
      m_base(std::move(base)),
      m_flags(flags),
      m_file(std::move(file)),
      m_read(std::move(read)),
      m_stamp(StampOf(m_file)),
      m_looked(std::chrono::steady_clock::now()) {}

LiveSettings::Stamp LiveSettings::StampOf(const std::filesystem::path& file) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) {
        return {};
    }
    return {true,
            static_cast<uintmax_t>(status.st_dev),
            static_cast<uintmax_t>(status.st_ino),
            static_cast<uintmax_t>(status.st_size),
            int64_t{status.st_mtim.tv_sec} * 1'000'000'000 + status.st_mtim.tv_nsec,
            int64_t{status.st_ctim.tv_sec} * 1'000'000'000 + status.st_ctim.tv_nsec};
}

std::shared_ptr<const ServeSettings> LiveSettings::Current() {
    std::lock_guard lock(m_mutex);
    const auto now = std::chrono::steady_clock::now();
    if (!m_read || now - m_looked < kLookEvery) {
        return m_current;
    }
    m_looked = now;
    const Stamp stamp = StampOf(m_file);
    if (stamp == m_stamp) {
        return m_current;
    }
    m_stamp = stamp;
    auto read = m_read();
    if (auto* problem = std::get_if<std::string>(&read)) {
        m_problem = *problem;
        std::cerr << "zelk serve: the changed rules file is not taken, the settings stay as "
                     "they were: "
                  << m_problem << '\n';
        return m_current;
    }
    m_problem.clear();
    m_current = std::make_shared<const ServeSettings>(
        WithRules(m_base, std::move(std::get<adjudication::CheckRules>(read)), m_flags));
    std::cerr << "zelk serve: " << m_file.string() << " changed; its settings are taken\n";
    return m_current;
}

std::string LiveSettings::Problem() {
    std::lock_guard lock(m_mutex);
    return m_problem;
}

}  // namespace zelk::serve
