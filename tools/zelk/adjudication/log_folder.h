// Reading every file of the contest folder: listed in order of name, read
// and parsed on kCheckThreads threads (reading is most of a check's time), each file
// into its LogFile. Subfolders are not entered (the results may be written
// into one); a file that cannot be read becomes a LogFile saying why.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "adjudication/in_parallel.h"
#include "adjudication/log_file.h"

namespace zelk::adjudication {

// Called on the calling thread as files are read: how many of how many.
using ReadProgress = std::function<void(std::size_t done, std::size_t total)>;

// Every file of the folder in order of name, or why the folder cannot be
// listed.
std::variant<std::vector<LogFile>, std::string> ReadLogFolder(const std::filesystem::path& folder,
                                                              const ReadProgress& progress,
                                                              unsigned threads = kCheckThreads);

// A file name as text: UTF-8 wherever the system keeps names otherwise.
std::string FileNameText(const std::filesystem::path& name);

}  // namespace zelk::adjudication
