// Answers: pages, JSON, refusals, result files, guarded handlers.
#include "serve/responses.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <string_view>

#include "serve/page_frame.h"
#include "serve/receipt.h"
#include "serve/request_parts.h"

namespace zelk::serve {

namespace fs = std::filesystem;

namespace {

std::string_view ContentTypeOf(const fs::path& file) {
    const std::string extension = file.extension().string();
    if (extension == ".html") {
        return "text/html; charset=utf-8";
    }
    if (extension == ".json") {
        return "application/json";
    }
    if (extension == ".csv") {
        return "text/csv; charset=utf-8";
    }
    return "text/plain; charset=utf-8";
}

void SendServerFailure(const Request& request, Response& response, const std::string& what) {
    std::cerr << "zelk serve: " << request.method << " " << request.path << ": " << what << '\n';
    response.headers.erase("Location");
    SendRefusal(request, response, 500, "Something went wrong on the server",
                "The server could not answer this request. Nothing was received or changed by it; "
                "please try again later. The organiser can see what happened in the server's "
                "log.");
}

}  // namespace

bool ClientWantsJson(const Request& request) {
    return WantsJson(request.get_header_value("Accept"));
}

void SendPage(Response& response, int status, const std::string& html) {
    response.status = status;
    response.set_content(html, "text/html; charset=utf-8");
}

void SendJson(Response& response, int status, const std::string& json) {
    response.status = status;
    response.set_content(json, "application/json");
}

void SendRefusal(const Request& request, Response& response, int status, const std::string& title,
                 const std::string& sentence, const std::string& backHref) {
    if (ClientWantsJson(request)) {
        SendJson(response, status, ErrorJson(sentence));
    } else {
        SendPage(response, status, MessagePage(title, sentence, backHref, "Back"));
    }
}

void SendRedirect(Response& response, const std::string& location) {
    response.status = 303;
    response.set_header("Location", location);
}

bool SendResultFile(const fs::path& folder, const std::string& name, bool inUbn,
                    Response& response) {
    const fs::path place = inUbn ? folder / "ubn" : folder;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(place, error)) {
        if (entry.path().filename().string() != name || !entry.is_regular_file(error) ||
            entry.is_symlink(error)) {
            continue;
        }
        std::ifstream file(entry.path(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        if (!file.good() && !file.eof()) {
            return false;
        }
        response.status = 200;
        response.set_content(bytes, std::string(ContentTypeOf(entry.path())));
        return true;
    }
    return false;
}

Handler Guarded(Handler handler) {
    return [handler = std::move(handler)](const Request& request, Response& response) {
        try {
            handler(request, response);
        } catch (const std::exception& problem) {
            SendServerFailure(request, response, problem.what());
        } catch (...) {
            SendServerFailure(request, response, "an unknown failure");
        }
    };
}

void SendServerRefusal(const Request& request, Response& response, int status) {
    struct Wording {
        int status;
        const char* title;
        const char* sentence;
    };
    static constexpr Wording kWordings[] = {
        {400, "Bad request", "The request could not be read; nothing was received by it."},
        {404, "Not found", "There is no page at this address."},
        {405, "Not allowed", "This address does not take this kind of request."},
        {408, "Too slow", "The request did not arrive in time; nothing was received by it."},
        {413, "Too large", "The request is larger than this address takes."},
        {414, "Address too long", "The address is longer than any this server answers."},
        {431, "Headers too large",
         "The request's headers are larger than this server takes (32 KiB in 100 lines)."},
        {500, "Something went wrong on the server",
         "The server could not answer this request; please try again later."},
        {503, "The server is busy",
         "The server is taking as many uploads as it can at the moment; please send again "
         "in a minute."},
    };
    for (const Wording& wording : kWordings) {
        if (wording.status == status) {
            return SendRefusal(request, response, status, wording.title, wording.sentence);
        }
    }
    SendRefusal(request, response, status, "Error " + std::to_string(status),
                "The request could not be answered.");
}

}  // namespace zelk::serve
