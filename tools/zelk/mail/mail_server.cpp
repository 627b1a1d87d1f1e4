// Reading the credentials; libcurl's global start.
#include "mail/mail_server.h"

#include <curl/curl.h>
#include <sys/stat.h>

#include <fstream>
#include <mutex>

namespace zelk::mail {

std::variant<MailServer, std::string> MailServerFrom(const std::string& url,
                                                     const std::string& credentialsFile,
                                                     const std::string& caFile) {
    MailServer server;
    server.url = url;
    server.caFile = caFile;
    const std::string scheme = url.substr(0, url.find("://"));
    if (scheme != "smtp" && scheme != "smtps" && scheme != "imap" && scheme != "imaps") {
        return url + ": not an smtp://, smtps://, imap:// or imaps:// URL";
    }
    if (url.find('@') != std::string::npos) {
        return url + ": the URL holds credentials; give them in a file of mode 0600 instead";
    }
    if (credentialsFile.empty()) {
        return server;
    }
    struct stat status {};
    if (::stat(credentialsFile.c_str(), &status) != 0) {
        return credentialsFile + ": cannot be read";
    }
    if ((status.st_mode & 077) != 0) {
        return credentialsFile + ": others may read it (mode " +
               std::to_string((status.st_mode >> 6) & 7) +
               std::to_string((status.st_mode >> 3) & 7) + std::to_string(status.st_mode & 7) +
               "); make it the owner's alone: chmod 600 " + credentialsFile;
    }
    std::ifstream in(credentialsFile, std::ios::binary);
    if (!std::getline(in, server.user) || !std::getline(in, server.password)) {
        return credentialsFile +
               ": needs the user on its first line and the password on its second";
    }
    for (std::string* line : {&server.user, &server.password}) {
        if (!line->empty() && line->back() == '\r') {
            line->pop_back();
        }
    }
    return server;
}

bool IsLoopbackUrl(const std::string& url) {
    const auto start = url.find("://");
    if (start == std::string::npos) {
        return false;
    }
    std::string host = url.substr(start + 3);
    host = host.substr(0, host.find('/'));
    if (host.rfind("[::1]", 0) == 0) {
        return true;
    }
    host = host.substr(0, host.find(':'));
    return host == "localhost" || (host.rfind("127.", 0) == 0 &&
                                   host.find_first_not_of("0123456789.") == std::string::npos);
}

void StartCurl() {
    static std::once_flag started;
    std::call_once(started, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace zelk::mail
