// How the routes answer: a page or JSON as the client asks, refusals with a
// sentence, files of a results folder by names listed there (never by a path
// from the request), and handlers guarded so that every request is answered
// even when something throws.
#pragma once

#include <httplib.h>

#include <filesystem>
#include <functional>
#include <string>

namespace zelk::serve {

bool ClientWantsJson(const httplib::Request& request);

void SendPage(httplib::Response& response, int status, const std::string& html);
void SendJson(httplib::Response& response, int status, const std::string& json);
// A refusal as JSON {"error"} or as a page with the sentence and a way back.
void SendRefusal(const httplib::Request& request, httplib::Response& response, int status,
                 const std::string& title, const std::string& sentence,
                 const std::string& backHref = "/");
void SendRedirect(httplib::Response& response, const std::string& location);

// Serves `name` from `folder` when it is a regular file listed there (the
// top level, or ubn/<name> when `inUbn`); false when there is none.
bool SendResultFile(const std::filesystem::path& folder, const std::string& name, bool inUbn,
                    httplib::Response& response);

using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;
using ReaderHandler =
    std::function<void(const httplib::Request&, httplib::Response&, const httplib::ContentReader&)>;
// The handler, with whatever it throws answered as 500 and told on stderr.
Handler Guarded(Handler handler);
ReaderHandler Guarded(ReaderHandler handler);

}  // namespace zelk::serve
