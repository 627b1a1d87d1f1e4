// libFuzzer target for how zelk serve reads a request off the wire: the
// first byte chooses the pieces the bytes arrive in, the second the body's
// limit, the rest is what a client sends. Beyond running clean under the
// sanitizers:
// - the reader never holds a body beyond its limit, and refuses only with
//   the statuses it names (400, 413, 414, 431);
// - a request read whole has an origin-form target, at most 100 header
//   lines, and a body within its limit;
// - the body's form fields are pieces of the body, the form read or
//   refused whatever it holds; the query's and a urlencoded form's names and
//   values are never longer than their text.
// A broken invariant aborts, which libFuzzer reports as a finding.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_invariants.h"
#include "serve/http_message.h"
#include "serve/multipart_form.h"
#include "serve/request_reader.h"

namespace zelk::serve {
namespace {

using namespace zelk::fuzzing;

void CheckForm(std::string_view body, std::string_view contentType) {
    const std::string boundary = MultipartBoundary(contentType).value_or("B");
    Require(!boundary.empty() && boundary.size() <= 70, "a boundary is 1 to 70 characters");
    std::size_t fields = 0;
    std::size_t contents = 0;
    ReadMultipartForm(
        body, boundary,
        [&](std::string_view name, std::string_view fileName) {
            Require(name.size() <= body.size() && fileName.size() <= body.size(),
                    "a field's name and file name come from the body");
            ++fields;
            return true;
        },
        [&](std::string_view bytes) {
            Require(bytes.data() >= body.data() &&
                        bytes.data() + bytes.size() <= body.data() + body.size(),
                    "a field's content is a piece of the body");
            ++contents;
            return true;
        });
    Require(contents == fields, "each field has its content");

    Params params;
    ReadUrlEncoded(body, params);
    for (const auto& [name, value] : params) {
        Require(name.size() + value.size() <= body.size(), "a form's fields come from its text");
    }
}

void CheckReader(std::string_view bytes, std::size_t piece, std::size_t maxBody) {
    RequestReader reader;
    Request head;
    RequestReader::Step step = RequestReader::Step::kMore;
    for (std::size_t at = 0; at < bytes.size() && step == RequestReader::Step::kMore; at += piece) {
        step = reader.Feed(bytes.substr(at, piece));
        if (step == RequestReader::Step::kHead) {
            head = reader.TakeHead();
            Require(!head.path.empty() && head.target.front() == '/',
                    "a head read has an origin-form target");
            Require(head.headers.size() <= RequestReader::kHeadLines, "at most 100 header lines");
            step = reader.ReadBody(maxBody);
        }
        Require(reader.BodyBytes() <= maxBody, "a body is never held beyond its limit");
    }
    if (step == RequestReader::Step::kRefused) {
        const int status = reader.RefusalStatus();
        Require(status == 400 || status == 413 || status == 414 || status == 431,
                "a refusal is 400, 413, 414 or 431");
        return;
    }
    if (step == RequestReader::Step::kComplete) {
        const std::string body = reader.TakeBody();
        Require(body.size() <= maxBody, "a body read whole is within its limit");
        CheckForm(body, head.get_header_value("Content-Type"));
    }
}

}  // namespace
}  // namespace zelk::serve

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::size_t piece = data[0] % 64 == 0 ? size : data[0] % 64;
    const std::size_t maxBody = std::size_t{data[1]} * 16;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
    zelk::serve::CheckReader(bytes, piece, maxBody);
    // The form readers on any text, not only on what a whole request carries.
    zelk::serve::CheckForm(bytes, "multipart/form-data; boundary=B");
    return 0;
}
