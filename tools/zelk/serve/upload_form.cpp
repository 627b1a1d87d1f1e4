// Collecting an upload's fields within their limits.
#include "serve/upload_form.h"

namespace zelk::serve {

namespace {

// An e-mail address is at most 254 bytes: anything longer is kept long
// enough to be refused as too long.
constexpr std::size_t kEmailLimit = 300;
constexpr std::size_t kFormValueLimit = 128;
constexpr std::size_t kFileNameLimit = 100;

}  // namespace

UploadFormCollector::UploadFormCollector(std::size_t maxLogBytes) : m_maxLogBytes(maxLogBytes) {}

void UploadFormCollector::BeginField(std::string_view name, std::string_view fileName) {
    m_field = nullptr;
    if (name == "log") {
        m_field = &m_file;
        m_fieldLimit = m_maxLogBytes;
        m_fileName = fileName.substr(0, kFileNameLimit);
    } else if (name == "log_text") {
        m_field = &m_text;
        m_fieldLimit = m_maxLogBytes;
    } else if (name == "email") {
        m_field = &m_email;
        m_fieldLimit = kEmailLimit;
    } else if (name == "form") {
        m_field = &m_formValue;
        m_fieldLimit = kFormValueLimit;
    }
    if (m_field != nullptr) {
        m_field->clear();  // a repeated field counts once: its last part
    }
}

bool UploadFormCollector::Append(std::string_view bytes) {
    if (m_field == nullptr) {
        return true;
    }
    if (m_field->size() + bytes.size() > m_fieldLimit) {
        if (m_field == &m_file || m_field == &m_text) {
            m_problem = Problem::kTooLarge;
            return false;
        }
        bytes = bytes.substr(0, m_fieldLimit - m_field->size());
    }
    m_field->append(bytes);
    return true;
}

std::string UploadFormCollector::Email() const {
    const auto first = m_email.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = m_email.find_last_not_of(" \t\r\n");
    return m_email.substr(first, last - first + 1);
}

}  // namespace zelk::serve
