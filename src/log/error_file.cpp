// The error file's lines and its writers. Failures to write are silent: the
// error file is a courtesy to the operator and never changes a result.
#include "log/error_file.h"

#include "contest/contact_args.h"

namespace zelk {

void StartErrorFile(Platform& platform) {
    platform.StartFile(kErrorFileName, kErrorFileTitle);
}

std::string RefusedContactLine(const ContactArgs& args, std::string_view message) {
    constexpr std::string_view kSeparator = "  ";
    const std::string dateText = FormatDateTime(args.time, "%Y-%m-%d %H%M");
    std::string line = "QSO:  ";
    line += std::to_string(args.freqHz / 1000u);
    for (std::string_view part : {args.mode, std::string_view(dateText), args.ownCall, args.rstSent,
                                  args.exchSent, args.call, args.rstRcvd, args.exchRcvd}) {
        line += kSeparator;
        line += part;
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
