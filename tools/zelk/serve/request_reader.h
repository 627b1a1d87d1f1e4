// One request read from the bytes a client sends, within hard limits: its
// head (the request line and the header lines) at most 32 KiB and 100
// lines, its address at most 2 KiB, its body at most what its route allows, counted as it arrives
// whether it comes with a Content-Length or chunked, and the body's bytes
// on the wire (chunked framing too) at most twice that. Boost.Beast's HTTP
// parser reads the syntax; this keeps the limits and takes the pieces out.
// No sockets and no clock: the connection feeds it what it reads and keeps
// the time (client_connection.cpp), the fuzzer feeds it any bytes in any pieces.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "serve/http_message.h"

namespace zelk::serve {

class RequestReader {
  public:
    static constexpr std::size_t kHeadBytes = 32 * 1024;
    static constexpr std::size_t kHeadLines = 100;

    enum class Step {
        kMore,      // more bytes are needed
        kHead,      // the head is whole: choose the body's limit, then ReadBody
        kComplete,  // the whole request is read
        kRefused,   // refused: RefusalStatus says how
    };

    RequestReader();
    ~RequestReader();
    RequestReader(const RequestReader&) = delete;
    RequestReader& operator=(const RequestReader&) = delete;

    // Takes the bytes that arrived; once kHead is given, bytes are kept
    // (not read) until ReadBody.
    Step Feed(std::string_view bytes);
    // After kHead: reads the body (what arrived already, then what is fed),
    // at most `maxBody` bytes; 413 as soon as a Content-Length or the count
    // passes it.
    Step ReadBody(std::size_t maxBody);

    // After kHead: the request without its body (method, target, path,
    // query, headers); taken once.
    Request TakeHead();
    bool ExpectsContinue() const { return m_expectsContinue; }
    // The body read so far; taken once, after kComplete.
    std::size_t BodyBytes() const;
    std::string TakeBody();
    // Lets go of whatever it holds; it reads no more.
    void Discard();

    // Whether any byte arrived.
    bool Started() const { return m_started; }
    // 400 (not a request this server reads), 413 (the body is larger than
    // allowed), 414 (the address is longer than 2 KiB) or 431 (the head is
    // larger than allowed).
    int RefusalStatus() const { return m_refusal; }

  private:
    class Parser;
    Step Parse();
    Step Refuse(int status);

    std::unique_ptr<Parser> m_parser;
    std::string m_pending;  // bytes not yet taken by the parser
    Step m_step = Step::kMore;
    bool m_started = false;
    bool m_headGiven = false;
    bool m_expectsContinue = false;
    std::size_t m_wire = 0;       // body bytes on the wire so far
    std::size_t m_wireLimit = 0;  // and the most allowed
    int m_refusal = 0;
};

}  // namespace zelk::serve
