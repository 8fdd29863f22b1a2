// A Link of the tests' own: what it will receive is scripted as chunks at
// times of a clock it keeps itself, which a read moves on, and what is
// written to it is recorded. A master given this clock runs a whole exchange,
// timeouts included, without waiting a moment of real time.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "link/link.h"

class ScriptedLink : public Link {
public:
    using Chunks = std::vector<std::pair<LinkTime, LinkBytes>>;  // delay after the write, bytes

    LinkTime now = 1000 * 1000 * 1000;

    // `bytes` arrive at `at` on the link's clock.
    void Deliver(LinkTime at, const LinkBytes& bytes) { incoming_.emplace(at, bytes); }
    // The next write not yet answered is followed by `chunks`, each its
    // delay after that write; a write with nothing queued gets no answer.
    void AnswerNextWrite(const Chunks& chunks) { answers_.push_back(chunks); }
    void CloseAfterScript() { closes_ = true; }

    LinkRead Read(LinkTime timeout_us) override {
        LinkRead read;
        if (!incoming_.empty() && (timeout_us < 0 || incoming_.begin()->first <= now + timeout_us)) {
            if (incoming_.begin()->first > now) now = incoming_.begin()->first;
            read.status = LinkRead::kData;
            read.bytes = incoming_.begin()->second;
            read.time = now;
            incoming_.erase(incoming_.begin());
            return read;
        }
        if (closes_ || timeout_us < 0) {
            read.status = LinkRead::kClosed;
            read.error = "the script ended";
            return read;
        }
        now += timeout_us;
        read.status = LinkRead::kTimeout;
        return read;
    }

    long long WriteSome(const unsigned char* bytes, std::size_t size, LinkTime, std::string&) override {
        writes.emplace_back(bytes, bytes + size);
        write_times.push_back(now);
        if (next_answer_ < answers_.size()) {
            for (const auto& chunk : answers_[next_answer_]) Deliver(now + chunk.first, chunk.second);
            ++next_answer_;
        }
        return static_cast<long long>(size);
    }

    std::string Name() const override { return "the scripted link"; }

    std::vector<LinkBytes> writes;
    std::vector<LinkTime> write_times;

private:
    std::multimap<LinkTime, LinkBytes> incoming_;
    std::vector<Chunks> answers_;
    std::size_t next_answer_ = 0;
    bool closes_ = false;
};
