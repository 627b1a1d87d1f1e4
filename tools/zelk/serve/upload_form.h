// The fields of an upload as they stream in, kept within their limits: the
// log (a file, field "log", or pasted text, "log_text") up to the upload
// limit, the e-mail address and the organiser's form value up to a few
// hundred bytes; other fields are dropped. The HTTP layer has counted the
// body and kept its time (client_connection.cpp); this keeps each field within its
// own limit.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zelk::serve {

// The most an upload's body may hold: the log, and room for the rest of the
// form (the e-mail address, the part headers, the boundaries).
constexpr std::size_t UploadBodyLimit(std::size_t maxLogBytes) {
    return maxLogBytes + 64 * 1024;
}

class UploadFormCollector {
  public:
    enum class Problem { kNone, kTooLarge };

    // `maxLogBytes`: the most a log may hold.
    explicit UploadFormCollector(std::size_t maxLogBytes);

    // A new part of the form begins; `fileName`: the name the browser gives
    // a file part (empty when no file was chosen).
    void BeginField(std::string_view name, std::string_view fileName = {});
    // More bytes of the current part; false once the log's limit is passed
    // (the form is then read no further).
    bool Append(std::string_view bytes);

    Problem Failure() const { return m_problem; }
    // The log: the file's bytes, else the pasted text.
    const std::string& File() const { return m_file; }
    const std::string& PastedText() const { return m_text; }
    // The e-mail address without the blanks around it.
    std::string Email() const;
    const std::string& FormValue() const { return m_formValue; }
    // The name of the file chosen for the log (cut to 100 bytes), so that an
    // empty file can be told from none; empty when none was.
    const std::string& FileName() const { return m_fileName; }

  private:
    std::size_t m_maxLogBytes;
    std::string* m_field = nullptr;  // the member the current part goes to; null: dropped
    std::size_t m_fieldLimit = 0;
    Problem m_problem = Problem::kNone;
    std::string m_file;
    std::string m_text;
    std::string m_email;
    std::string m_formValue;
    std::string m_fileName;
};

}  // namespace zelk::serve
