// The error file's lines and its writers. Failures to write are silent: the
// error file is a courtesy to the operator and never changes a result.
#include "log/error_file.h"

#include "contest/contact_args.h"

namespace zelk {

void StartErrorFile(Platform& platform) {
    platform.StartFile(kErrorFileName, kErrorFileTitle);
}

namespace {

// `text` the way a text-mode stream stores it: every line feed as CR LF.
void AppendInTextMode(std::string& line, std::string_view text) {
    for (char c : text) {
        if (c == '\n') {
            line += '\r';
        }
        line += c;
    }
}

}  // namespace

std::string RefusedContactLine(const ContactArgs& args, std::string_view message) {
    constexpr std::string_view kSeparator = "  ";
    const std::string dateText = FormatDateTime(args.time, "%Y-%m-%d %H%M");
    std::string line = "QSO:  ";
    line += std::to_string(args.freqHz / 1000u);
    for (std::string_view part : {args.mode, std::string_view(dateText), args.ownCall, args.rstSent,
                                  args.exchSent, args.call, args.rstRcvd, args.exchRcvd}) {
        line += kSeparator;
        AppendInTextMode(line, part);
    }
    line += message;
    line += "\r\n";
    return line;
}

void AppendErrorLine(Platform& platform, std::string_view line) {
    platform.AppendToFile(kErrorFileName, line);
}

void TouchErrorFile(Platform& platform) {
    if (!platform.FileExists(kErrorFileName)) {
        platform.AppendToFile(kErrorFileName, "");
    }
}

}  // namespace zelk
