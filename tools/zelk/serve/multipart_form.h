// The fields of a multipart/form-data body (RFC 7578), as the upload form
// sends them: read from a body the HTTP layer has already taken whole and
// within its limit, so the reading holds nothing of its own beyond a part's
// name. Hostile text: total, and every way a body can be cut off or
// garbled is an answer, never an exception.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zelk::serve {

// The boundary a Content-Type header names ("multipart/form-data;
// boundary=xyz", the value quoted or not), or nullopt when there is none or
// it is longer than the 70 characters a boundary may have.
std::optional<std::string> MultipartBoundary(std::string_view contentType);

// Calls `field` with each part's name and file name (empty for a part that
// is no file), then `content` with its bytes, in
// order. False when the body is no whole form: no boundary line, a part's
// headers unterminated or longer than 8 KiB, a part without a form-data
// name, no closing boundary; or when a callback returns false (the reading
// stops there).
bool ReadMultipartForm(
    std::string_view body, std::string_view boundary,
    const std::function<bool(std::string_view name, std::string_view fileName)>& field,
    const std::function<bool(std::string_view bytes)>& content);

}  // namespace zelk::serve
