// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/work/TBulkRun.h"

#include "bulk/BulkLocate.h"
#include "bulk/CaptureLocate.h"
#include "forms/results/ResultRow.h"
#include "forms/support/BackgroundThread.h"
#include "forms/work/RowsLine.h"
#include "forms/work/RunRowMaker.h"
#include "geoip/EFOpenError.h"
#include "geoip/OrganizationOf.h"
#include "memory/LargePages.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <deque>
#include <exception>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <span>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// A text's characters as the address scanner reads them: ASCII as it is,
// every other character a byte above 127. Addresses are ASCII, and to the
// scanner any byte above 127 is neither part of an address nor a letter of
// a name beside one, so the addresses found are those of the text's UTF-8,
// without making it: one byte per character, nothing allocated per piece.
void ScannedBytes(const QChar* text, std::size_t count, char* bytes) {
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<char>(std::min<char16_t>(text[i].unicode(), 0x80));
}

// The IPv6 city database beside the IPv4 one, as orvanta-db update leaves it.
const char* const kCityV6File = "GeoLiteCityv6.dat";

} // namespace

struct TBulkRun::Input {
    QString text;
    int fd = -1;
    std::string fileName;
    std::uint64_t size = 0;
    QChar separator;
    bool capture = false; // `fileName` is a capture, read by name
    ~Input() {
        if (fd >= 0)
            ::close(fd);
    }
};

TBulkRun::TBulkRun(const QString& databaseFile, QObject* parent) : QObject(parent) {
    using orvanta::geoip::EFOpenError;
    files_.city = EFOpenError::ExpandFileName(databaseFile.toStdString());
    files_.cityV6 = EFOpenError::ExpandFileName(kCityV6File);
    files_.organization = EFOpenError::ExpandFileName(orvanta::geoip::DefaultAsnFile);
    files_.organizationV6 = EFOpenError::ExpandFileName(orvanta::geoip::DefaultAsnV6File);
}

TBulkRun::~TBulkRun() {
    stop_ = true;
    if (worker_.joinable())
        worker_.join();
}

void TBulkRun::AddFile(const QString& fileName, QChar decimalSeparator) {
    AddFileInput(fileName, decimalSeparator, false);
}

void TBulkRun::AddCapture(const QString& fileName, QChar decimalSeparator) {
    AddFileInput(fileName, decimalSeparator, true);
}

void TBulkRun::AddFileInput(const QString& fileName, QChar decimalSeparator, bool capture) {
    auto input = std::make_shared<Input>();
    input->fileName = orvanta::geoip::EFOpenError::ExpandFileName(fileName.toStdString());
    // Not blocking on the open: a FIFO without a writer would hold the
    // window until one came.
    input->fd = ::open(input->fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (input->fd < 0)
        throw orvanta::geoip::EFOpenError(input->fileName, errno);
    struct stat info {};
    if (::fstat(input->fd, &info) != 0)
        throw orvanta::geoip::EFOpenError(input->fileName, errno);
    if (S_ISDIR(info.st_mode))
        throw orvanta::geoip::EFOpenError(input->fileName, EISDIR);
    // A pipe or socket may never end nor answer, and a read waiting on it
    // could not be stopped: only files and devices are read.
    if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode))
        throw orvanta::geoip::EFOpenError(input->fileName, EINVAL);
    ::fcntl(input->fd, F_SETFL, ::fcntl(input->fd, F_GETFL) & ~O_NONBLOCK);
    input->size = S_ISREG(info.st_mode) ? static_cast<std::uint64_t>(info.st_size) : 0;
    input->separator = decimalSeparator;
    input->capture = capture;
    waiting_.push_back(std::move(input));
    StartNext();
}

void TBulkRun::AddText(const QString& text, QChar decimalSeparator) {
    auto input = std::make_shared<Input>();
    input->text = text;
    input->size = static_cast<std::uint64_t>(text.size()); // its UTF-8, for most logs
    input->separator = decimalSeparator;
    waiting_.push_back(std::move(input));
    StartNext();
}

void TBulkRun::Stop() {
    waiting_.clear();
    if (!running_)
        return;
    stop_ = true;
    ++generation_;
    running_ = false;
    if (onFinished)
        onFinished(Outcome::Stopped, {});
}

void TBulkRun::StopKeepingCounted() {
    if (!running_ || !runningCapture_) {
        Stop();
        return;
    }
    // The reading ends at the flag; the rows of what it counted and the
    // outcome arrive as they would at the end of the file.
    waiting_.clear();
    stop_ = true;
}

template <class F> void TBulkRun::Post(int generation, F&& f) {
    // Runs on the window's thread; dropped when the run was stopped since.
    auto call = std::make_shared<std::decay_t<F>>(std::forward<F>(f));
    QMetaObject::invokeMethod(
        this,
        [this, generation, call] {
            if (generation == generation_)
                (*call)();
        },
        Qt::QueuedConnection);
}

void TBulkRun::StartNext() {
    if (running_ || worker_.joinable() || waiting_.empty())
        return;
    std::shared_ptr<Input> input = std::move(waiting_.front());
    waiting_.pop_front();
    stop_ = false;
    running_ = true;
    runningCapture_ = input->capture;
    worker_ = std::thread([this, input, generation = generation_] { Work(input, generation); });
}

// The window's thread only swaps in finished pieces: rows, texts and places
// are all made on the run's thread, and gathered into few large pieces.
class TBulkRun::Pieces {
public:
    Pieces(TBulkRun& run, int generation, const Input& input)
        : run_(run), generation_(generation), capture_(input.capture) {}

    void Take(std::vector<orvanta::bulk::BulkRow>&& rows, std::size_t done, std::size_t total) {
        step_.done = done;
        step_.total = total;
        // A capture's endpoints get no host names: asking for them would
        // send packets the user did not ask for.
        step_.lookUpHostNames = !capture_;
        const std::span<const orvanta::bulk::BulkRow> all(rows);
        for (std::size_t from = 0; from < all.size(); from += TRunRowMaker::kBatch) {
            const auto part = all.subspan(from, std::min(TRunRowMaker::kBatch, all.size() - from));
            // A piece's rows share one store of values: a run past its
            // room hands the piece over and goes on with a new store.
            if (!maker_.Fits(part.size())) {
                Flush();
                maker_.Renew();
            }
            if (step_.rows.empty())
                StartPiece(all.size() - from + (total > done ? total - done : 0));
            const std::size_t first = step_.rows.size();
            maker_.Make(part, capture_, step_.rows);
            for (std::size_t k = 0; k < part.size(); ++k)
                if (part[k].found)
                    step_.places.push_back({part[k].record.Latitude, part[k].record.Longitude,
                                            static_cast<std::uint32_t>(first + k), part[k].count});
        }
        if (!sentAny_ || step_.rows.size() >= kStepRows ||
            std::chrono::steady_clock::now() - sentAt_ >= std::chrono::milliseconds(kStepMs))
            Flush();
    }

    // Room for the whole piece at once (a step, or the rest of the run):
    // growing the rows batch by batch moved every row several times.
    void StartPiece(std::size_t coming) {
        step_.rows = maker_.NewPiece();
        step_.rows.reserve(std::min(kStepRows, coming));
        orvanta::memory::AdviseLargePages(step_.rows.Data(),
                                          step_.rows.Capacity() * TRunRows::kRowBytes);
        step_.places.reserve(step_.rows.Capacity());
        orvanta::memory::AdviseLargePages(
            step_.places.data(), step_.places.capacity() * sizeof(orvanta::cluster::PlaceIn));
    }

    // Sends what was gathered; also what a stopped capture counted.
    void Flush() {
        if (step_.rows.empty())
            return;
        // A piece that used less than half its room gives the rest back:
        // the list keeps the piece as it is.
        if (step_.rows.Capacity() - step_.rows.size() > step_.rows.size())
            step_.rows.shrink_to_fit();
        // A capture's bar is the part of the file read; a text's second
        // half is its lookups.
        run_.Post(generation_,
                  [run = &run_, capture = capture_, batch = std::move(step_)]() mutable {
                      if (run->onProgress && !capture)
                          run->onProgress(0.5 + 0.5 * static_cast<double>(batch.done) /
                                                    static_cast<double>(batch.total));
                      if (run->onRows)
                          run->onRows(std::move(batch));
                  });
        step_ = TBulkBatch{};
        sentAny_ = true;
        sentAt_ = std::chrono::steady_clock::now();
    }

private:
    TBulkRun& run_;
    int generation_;
    bool capture_;
    TRunRowMaker maker_;
    TBulkBatch step_;
    bool sentAny_ = false;
    std::chrono::steady_clock::time_point sentAt_ = std::chrono::steady_clock::now();
};

void TBulkRun::Work(std::shared_ptr<Input> input, int generation) {
    YieldToWindow();
    if (input->capture) {
        WorkCapture(*input, generation);
        return;
    }
    using orvanta::bulk::BulkLocate;
    BulkLocate::Parts parts;
    if (input->fd >= 0) {
        parts = orvanta::bulk::FileParts(input->fd, input->fileName, input->size);
    } else {
        // Turned into bytes here, a piece at a time: a large paste costs
        // the window's thread nothing but the copy it hands over.
        parts.size = static_cast<std::uint64_t>(input->text.size());
        parts.part = [input](std::uint64_t from, std::uint64_t to) -> BulkLocate::Reader {
            const qsizetype end = to == 0 ? input->text.size() : static_cast<qsizetype>(to);
            return [input, at = static_cast<qsizetype>(from), end](char* buffer,
                                                                   std::size_t size) mutable {
                const qsizetype n = std::min(static_cast<qsizetype>(size), end - at);
                ScannedBytes(input->text.constData() + at, static_cast<std::size_t>(n), buffer);
                at += n;
                return static_cast<std::size_t>(n);
            };
        };
        parts.nextLine = [input](std::uint64_t at) -> std::uint64_t {
            const qsizetype end = input->text.indexOf(QLatin1Char('\n'), qsizetype(at));
            return end < 0 ? 0 : static_cast<std::uint64_t>(end + 1);
        };
    }
    // Only a file's size is known before it is read: a pipe or a device is
    // read whole, from where it stands.
    if (input->fd >= 0 && input->size == 0)
        parts = {};
    const orvanta::bulk::RunFiles files = files_;
    auto opener = [files] { return orvanta::bulk::OpenRunDatabases(files); };
    BulkLocate run =
        parts.part ? BulkLocate(std::move(parts), opener)
                   : BulkLocate(orvanta::bulk::FileReader(input->fd, input->fileName), opener);

    // Reading is the first half of the bar when the size is known; the
    // lookups are the rest.
    const double size = static_cast<double>(input->size);
    orvanta::bulk::BulkHooks hooks;
    hooks.scanned = [&](std::uint64_t read) {
        if (size > 0)
            Post(generation, [this, f = 0.5 * static_cast<double>(read) / size] {
                if (onProgress)
                    onProgress(std::min(f, 0.5));
            });
    };
    Pieces pieces(*this, generation, *input);
    RowsLine line([&](std::vector<orvanta::bulk::BulkRow>&& rows, std::size_t done,
                      std::size_t total) { pieces.Take(std::move(rows), done, total); });
    hooks.rows = [&](std::vector<orvanta::bulk::BulkRow>&& rows, std::size_t done,
                     std::size_t total) { line.Push(std::move(rows), done, total); };

    Outcome outcome = Outcome::Failed;
    QString error;
    try {
        switch (run.Run(stop_, hooks)) {
        case orvanta::bulk::BulkOutcome::Done:
            outcome = Outcome::Done;
            break;
        case orvanta::bulk::BulkOutcome::Stopped:
            outcome = Outcome::Stopped;
            break;
        case orvanta::bulk::BulkOutcome::NoAddresses:
            outcome = Outcome::NoAddresses;
            break;
        }
    } catch (const std::exception& e) {
        error = QString::fromUtf8(e.what());
    }
    try {
        line.Close();
    } catch (const std::exception& e) {
        outcome = Outcome::Failed;
        error = QString::fromUtf8(e.what());
    }
    pieces.Flush();
    Finish(generation, outcome, error);
}

void TBulkRun::WorkCapture(const Input& input, int generation) {
    const double size = static_cast<double>(input.size);
    orvanta::bulk::BulkHooks hooks;
    hooks.scanned = [&](std::uint64_t read) {
        if (size > 0)
            Post(generation, [this, f = static_cast<double>(read) / size] {
                if (onProgress)
                    onProgress(std::min(f, 1.0));
            });
    };
    Pieces pieces(*this, generation, input);
    RowsLine line([&](std::vector<orvanta::bulk::BulkRow>&& rows, std::size_t done,
                      std::size_t total) { pieces.Take(std::move(rows), done, total); });
    hooks.rows = [&](std::vector<orvanta::bulk::BulkRow>&& rows, std::size_t done,
                     std::size_t total) { line.Push(std::move(rows), done, total); };
    const orvanta::bulk::RunFiles files = files_;
    Outcome outcome = Outcome::Failed;
    QString error;
    try {
        const orvanta::bulk::CaptureOutcome done = orvanta::bulk::LocateCapture(
            input.fileName, [files] { return orvanta::bulk::OpenRunDatabases(files); }, stop_,
            hooks);
        // Damage part-way is told after the rows of what came before it.
        error = QString::fromStdString(done.error);
        if (done.error.empty())
            outcome = done.outcome == orvanta::bulk::BulkOutcome::Done      ? Outcome::Done
                      : done.outcome == orvanta::bulk::BulkOutcome::Stopped ? Outcome::Stopped
                                                                            : Outcome::NoAddresses;
    } catch (const std::exception& e) {
        error = QString::fromUtf8(e.what());
    }
    try {
        line.Close();
    } catch (const std::exception& e) {
        outcome = Outcome::Failed;
        error = QString::fromUtf8(e.what());
    }
    pieces.Flush();
    Finish(generation, outcome, error);
}

void TBulkRun::Finish(int generation, Outcome outcome, const QString& error) {
    // Always delivered: the thread is joined here, also after a stop, and
    // what waits starts then.
    QMetaObject::invokeMethod(
        this,
        [this, generation, outcome, error] {
            if (worker_.joinable())
                worker_.join();
            if (generation != generation_) {
                StartNext();
                return;
            }
            running_ = false;
            // What waits starts first, so the outcome is told with the
            // next run already under way.
            StartNext();
            if (onFinished)
                onFinished(outcome, error);
        },
        Qt::QueuedConnection);
}
