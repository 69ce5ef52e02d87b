#include "src/compiler/fork_packer.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <fstream>
#include <memory>
#include <mutex>
#include <numeric>
#include <thread>

#include "src/sis/crc.h"
#include "src/compiler/fork_encoder.h"

namespace tovrin::makesis {
namespace {

constexpr size_t kCopyBufferSize = 1024 * 1024;

// A worker's scratch file: written by the worker, read back by the copying thread.
class Scratch {
public:
    explicit Scratch(std::filesystem::path path) : path_(std::move(path)) {}
    ~Scratch() {
        out_.close();
        in_.close();
        std::error_code ec;
        std::filesystem::remove(path_, ec);
    }
    bool create(std::string* err) {
        out_.open(path_, std::ios::binary | std::ios::trunc);
        if (!out_) *err = "cannot create the scratch file " + path_.u8string();
        return static_cast<bool>(out_);
    }
    std::ofstream& out() { return out_; }
    // Copies `length` bytes from `offset` to `to`.
    bool copy(uint64_t offset, uint64_t length, std::ostream& to, std::vector<char>& buffer,
              std::string* err) {
        if (!in_.is_open()) in_.open(path_, std::ios::binary);
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(offset));
        while (length > 0 && in_) {
            const size_t piece = static_cast<size_t>(std::min<uint64_t>(length, buffer.size()));
            in_.read(buffer.data(), static_cast<std::streamsize>(piece));
            if (static_cast<size_t>(in_.gcount()) != piece) break;
            if (!to.write(buffer.data(), static_cast<std::streamsize>(piece))) {
                *err = "cannot write the package (disk full?)";
                return false;
            }
            length -= piece;
        }
        if (length > 0) {
            *err = "cannot read back the scratch file " + path_.u8string();
            return false;
        }
        return true;
    }

private:
    std::filesystem::path path_;
    std::ofstream out_;
    std::ifstream in_;
};

class FileSink : public ByteSink {
public:
    explicit FileSink(std::ofstream& out) : out_(out) {}
    bool write(const uint8_t* data, size_t size, std::string* err) override {
        if (out_.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size))) {
            written_ += size;
            return true;
        }
        *err = "cannot write a scratch file beside the package (disk full?)";
        return false;
    }
    uint64_t written() const { return written_; }

private:
    std::ofstream& out_;
    uint64_t written_ = 0;
};

class DiscardSink : public ByteSink {
public:
    bool write(const uint8_t*, size_t, std::string*) override { return true; }
};

struct Where {
    size_t worker = 0;
    uint64_t offset = 0;
};

class Packer {
public:
    Packer(const Plan& plan, std::ostream* package, PackOutcome& outcome,
           const ForkProgress& progress)
        : plan_(plan),
          package_(package),
          outcome_(outcome),
          progress_(progress),
          done_(plan.forks.size(), false),
          where_(plan.forks.size()) {
        order_.resize(plan.forks.size());
        std::iota(order_.begin(), order_.end(), size_t{0});
        std::stable_sort(order_.begin(), order_.end(), [&](size_t a, size_t b) {
            return plan.forks[a].sizeHint > plan.forks[b].sizeHint;
        });
        outcome_ = PackOutcome{};
        outcome_.results.resize(plan.forks.size());
    }

    bool run(const std::filesystem::path& scratchStem, unsigned threads) {
        threads = std::max(1u, std::min<unsigned>(threads, static_cast<unsigned>(order_.size())));
        if (order_.empty()) return true;
        if (package_) {
            for (unsigned w = 0; w < threads; ++w) {
                // Kept a path all the way: through narrow text, a non-ASCII folder would be
                // read back in another encoding on Windows.
                std::filesystem::path scratch = scratchStem;
                scratch += "." + std::to_string(w);
                scratch_.push_back(std::make_unique<Scratch>(scratch));
                if (!scratch_.back()->create(&outcome_.error)) return false;
            }
        }
        std::vector<std::thread> workers;
        for (unsigned w = 0; w < threads; ++w) workers.emplace_back([this, w] { work(w); });
        const bool copied = copyInOrder();
        if (!copied) stop();
        for (std::thread& t : workers) t.join();
        return copied && !failed_;
    }

private:
    void fail(int line, const std::string& error) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!failed_) {
            failed_ = true;
            outcome_.errorLine = line;
            outcome_.error = error;
        }
        changed_.notify_all();
    }
    void stop() {
        std::lock_guard<std::mutex> lock(mutex_);
        failed_ = true;
    }

    void work(size_t w) {
        try {
            ForkEncoder encoder(plan_.compress, !plan_.er6);
            DiscardSink discard;
            std::unique_ptr<FileSink> file;
            if (package_) file = std::make_unique<FileSink>(scratch_[w]->out());
            for (;;) {
                const size_t job = next_++;
                if (job >= order_.size()) return;
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    if (failed_) return;
                }
                const size_t fork = order_[job];
                const uint64_t offset = file ? file->written() : 0;
                ForkResult result;
                std::string error;
                ByteSink& sink = file ? static_cast<ByteSink&>(*file) : discard;
                bool ok = encoder.encode(plan_.forks[fork], sink, result, &error);
                if (ok && file && !scratch_[w]->out().flush()) {
                    ok = false;
                    error = "cannot write a scratch file beside the package (disk full?)";
                }
                if (!ok) {
                    fail(plan_.forks[fork].line, error);
                    return;
                }
                std::lock_guard<std::mutex> lock(mutex_);
                outcome_.results[fork] = result;
                where_[fork] = {w, offset};
                done_[fork] = true;
                changed_.notify_all();
            }
        } catch (const std::exception& e) {
            fail(0, std::string("out of resources: ") + e.what());
        }
    }

    bool copyInOrder() {
        std::vector<char> buffer(package_ ? kCopyBufferSize : 0);
        uint64_t sourceBytes = 0;
        for (size_t fork = 0; fork < plan_.forks.size(); ++fork) {
            ForkResult result;
            Where where;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                changed_.wait(lock, [&] { return done_[fork] || failed_; });
                if (failed_) return false;
                result = outcome_.results[fork];
                where = where_[fork];
            }
            if (package_) {
                std::string error;
                if (!scratch_[where.worker]->copy(where.offset, result.storedLength, *package_,
                                                  buffer, &error)) {
                    fail(0, error);
                    return false;
                }
            }
            outcome_.crc = sis::crc16Concat(outcome_.crc, result.crc, result.storedLength);
            outcome_.length += result.storedLength;
            sourceBytes += plan_.forks[fork].sizeHint;
            if (progress_ && !progress_(fork + 1, sourceBytes)) {
                fail(0, "interrupted");
                return false;
            }
        }
        return true;
    }

    const Plan& plan_;
    std::ostream* package_;
    PackOutcome& outcome_;
    const ForkProgress& progress_;
    std::vector<size_t> order_;
    std::vector<std::unique_ptr<Scratch>> scratch_;
    std::atomic<size_t> next_{0};
    std::mutex mutex_;
    std::condition_variable changed_;
    bool failed_ = false;
    std::vector<bool> done_;
    std::vector<Where> where_;
};

}  // namespace

bool packForks(const Plan& plan, std::ostream* package, const std::filesystem::path& scratchStem,
               unsigned threads, PackOutcome& outcome, const ForkProgress& progress) {
    return Packer(plan, package, outcome, progress).run(scratchStem, threads);
}

}  // namespace tovrin::makesis
