// Reading one request within its limits, on Boost.Beast's parser.
#include "serve/request_reader.h"

#include <boost/asio/buffer.hpp>
#include <boost/beast/http/basic_parser.hpp>
#include <boost/beast/http/error.hpp>

#include <limits>

#include "text/text.h"

namespace zelk::serve {

namespace http = boost::beast::http;
using boost::beast::error_code;
using boost::beast::string_view;

namespace {

// Bytes the parser may leave untaken while it waits for the end of a line
// of the chunked framing (a chunk's size and extensions, the trailer).
constexpr std::size_t kFramingBytes = 8 * 1024;
// Every address this server answers is short; a path far longer would only
// cost the route patterns' matching (std::regex recurses per character).
constexpr std::size_t kTargetBytes = 2048;
// Room on the wire beyond twice the body for its framing.
constexpr std::size_t kWireSlack = 64 * 1024;

}  // namespace

// Beast's parser with the callbacks that keep what the request holds: the
// head's lines counted and kept, the body appended within its limit. It
// never reserves room for a body before its bytes arrive.
class RequestReader::Parser final : public http::basic_parser<true> {
  public:
    Parser() {
        header_limit(static_cast<std::uint32_t>(kHeadBytes));
        // The body's limit is kept here, per route (Beast's would take none
        // as a limit below any length).
        body_limit(std::numeric_limits<std::uint64_t>::max());
        eager(false);  // stop after the head, so its route can choose
    }

    Request head;
    std::string body;
    std::size_t maxBody = 0;

  private:
    void on_request_impl(http::verb, string_view method, string_view target, int,
                         error_code&) override {
        head.method = std::string(method);
        head.target = std::string(target);
    }
    void on_response_impl(int, string_view, int, error_code& ec) override {
        ec = http::error::bad_method;
    }
    void on_field_impl(http::field, string_view name, string_view value, error_code& ec) override {
        if (++m_lines > kHeadLines) {
            ec = http::error::header_limit;
        } else if (!is_header_done()) {
            head.headers.emplace(std::string(name), std::string(value));
        }  // a chunked body's trailer lines are counted, not kept
    }
    void on_header_impl(error_code&) override {}
    void on_body_init_impl(const boost::optional<std::uint64_t>&, error_code&) override {}
    std::size_t on_body_impl(string_view bytes, error_code& ec) override {
        if (bytes.size() > maxBody - body.size()) {
            ec = http::error::body_limit;
            return 0;
        }
        body.append(bytes.data(), bytes.size());
        return bytes.size();
    }
    void on_chunk_header_impl(std::uint64_t size, string_view, error_code& ec) override {
        if (size > maxBody - body.size()) {
            ec = http::error::body_limit;
        }
    }
    std::size_t on_chunk_body_impl(std::uint64_t, string_view bytes, error_code& ec) override {
        return on_body_impl(bytes, ec);
    }
    void on_finish_impl(error_code&) override {}

    std::size_t m_lines = 0;
};

RequestReader::RequestReader() : m_parser(std::make_unique<Parser>()) {}

RequestReader::~RequestReader() = default;

RequestReader::Step RequestReader::Refuse(int status) {
    m_refusal = status;
    m_pending.clear();
    return m_step = Step::kRefused;
}

RequestReader::Step RequestReader::Feed(std::string_view bytes) {
    if (m_step == Step::kComplete || m_step == Step::kRefused) {
        return m_step;
    }
    m_started = m_started || !bytes.empty();
    m_pending.append(bytes);
    if (m_step == Step::kHead) {
        return m_step;
    }
    if (m_headGiven) {
        m_wire += bytes.size();
        if (m_wire > m_wireLimit) {
            return Refuse(413);
        }
    }
    return Parse();
}

RequestReader::Step RequestReader::ReadBody(std::size_t maxBody) {
    if (m_step != Step::kHead) {
        return m_step;
    }
    m_parser->maxBody = maxBody;
    m_wireLimit = 2 * maxBody + kWireSlack;
    m_wire = m_pending.size();
    const auto length = m_parser->content_length();
    if (length && *length > maxBody) {
        return Refuse(413);
    }
    m_parser->eager(true);
    m_step = Step::kMore;
    if (m_parser->is_done()) {
        return m_step = Step::kComplete;
    }
    return m_wire > m_wireLimit ? Refuse(413) : Parse();
}

RequestReader::Step RequestReader::Parse() {
    while (!m_pending.empty()) {
        error_code error;
        const std::size_t taken =
            m_parser->put(boost::asio::const_buffer(m_pending.data(), m_pending.size()), error);
        m_pending.erase(0, taken);
        if (error == http::error::need_more) {
            // Beast refuses a head beyond its limit itself; this bounds the
            // chunked framing's lines.
            if (m_parser->is_header_done() && m_pending.size() > kFramingBytes) {
                return Refuse(400);
            }
            break;
        }
        if (error) {
            return Refuse(error == http::error::header_limit ? 431
                          : error == http::error::body_limit ? 413
                                                             : 400);
        }
        if (!m_headGiven && m_parser->is_header_done()) {
            m_headGiven = true;
            Request& head = m_parser->head;
            if (head.target.size() > kTargetBytes) {
                return Refuse(414);
            }
            if (!ReadTarget(head.target, head.path, head.params)) {
                return Refuse(400);
            }
            m_expectsContinue = Upper(head.get_header_value("Expect")) == "100-CONTINUE";
            return m_step = Step::kHead;
        }
        if (m_parser->is_done()) {
            m_pending.clear();  // what follows the request is never read
            return m_step = Step::kComplete;
        }
        if (taken == 0) {
            break;
        }
    }
    return m_step;
}

Request RequestReader::TakeHead() {
    return std::move(m_parser->head);
}

std::size_t RequestReader::BodyBytes() const {
    return m_parser->body.size();
}

std::string RequestReader::TakeBody() {
    return std::move(m_parser->body);
}

void RequestReader::Discard() {
    m_parser->body = std::string();
    m_pending = std::string();
    if (m_step != Step::kRefused) {
        m_step = Step::kComplete;
    }
}

}  // namespace zelk::serve
