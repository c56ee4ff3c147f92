// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/work/TBulkRun.h"

#include "bulk/BulkLocate.h"
#include "bulk/CaptureLocate.h"
#include "forms/results/ResultRow.h"
#include "forms/results/TResultsModel.h"
#include "forms/results/TextPool.h"
#include "forms/support/BackgroundThread.h"
#include "geoip/EFOpenError.h"
#include "geoip/IanaBlocks.h"
#include "geoip/OrganizationOf.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The IPv6 city database beside the IPv4 one, as orvanta-db update leaves it.
const char* const kCityV6File = "GeoLiteCityv6.dat";

// Rows of one place and organisation differ only in their address and
// count: the rest of the values is made once per place and shared by its
// rows while the place is among those seen lately. The list makes a row's
// texts only when they are first asked for (most of a million rows are never
// shown), so none are made here.
class RowMaker {
public:
    // Appends the rows of `in` to `rows`; `capture`: the rows carry their
    // bytes on the wire.
    void Make(const std::vector<orvanta::bulk::BulkRow>& in, bool capture,
              std::vector<TResultRow>& rows) {
        // Bounded: a run over more places than this starts afresh, between
        // batches, so that a batch's indices stay good.
        if (made_.size() + in.size() > kMadeCap) {
            made_.clear();
            keys_.clear();
            std::fill(index_.begin(), index_.end(), Known{});
        }
        at_.clear();
        for (const orvanta::bulk::BulkRow& row : in)
            at_.push_back(Template(row));
        // The places of a big run come in no order: the row made for a
        // place is fetched a few rows ahead, so that copying it does not
        // wait for the memory.
        constexpr std::size_t kAhead = 8;
        for (std::size_t k = 0; k < in.size(); ++k) {
            if (k + kAhead < in.size()) {
                const char* ahead = reinterpret_cast<const char*>(&made_[at_[k + kAhead]]);
                for (std::size_t line = 0; line < sizeof(TResultRow); line += 64)
                    __builtin_prefetch(ahead + line);
            }
            TResultRow& row = rows.emplace_back(made_[at_[k]]);
            row.address = QString::fromLatin1(in[k].address.data(),
                                              static_cast<qsizetype>(in[k].address.size()));
            row.count = in[k].count;
            if (capture)
                row.bytes = in[k].bytes;
        }
    }

private:
    // The index in made_ of the row made for `in`'s place and
    // organisation, made now if new.
    std::uint32_t Template(const orvanta::bulk::BulkRow& in) {
        // Without an organisation record, a special-purpose block's name
        // stands in the Organization cell.
        const std::string_view organisation =
            in.organization.empty() ? in.specialBlock : std::string_view(in.organization);
        key_.clear();
        if (in.place != 0) {
            // The record's place names the record: no need to read its texts.
            key_ += 'p';
            key_.append(reinterpret_cast<const char*>(&in.place), sizeof in.place);
        } else if (in.found) {
            key_ += 't';
            const auto& r = in.record;
            for (const std::string* field : {&r.CountryCode, &r.CountryName, &r.Region, &r.City}) {
                key_ += *field;
                key_ += '\x1f';
            }
            key_.append(reinterpret_cast<const char*>(&r.Latitude), sizeof r.Latitude);
            key_.append(reinterpret_cast<const char*>(&r.Longitude), sizeof r.Longitude);
        } else {
            key_ += 'n';
        }
        key_ += organisation;
        const std::size_t hash = std::hash<std::string>{}(key_);
        const std::size_t mask = index_.size() - 1;
        std::size_t at = hash & mask;
        for (; index_[at].made != 0; at = (at + 1) & mask) {
            const Known& known = index_[at];
            if (known.hash == hash && keys_[known.made - 1] == key_)
                return known.made - 1;
        }
        made_.push_back(MakeShared(in, std::string(organisation)));
        keys_.push_back(key_);
        index_[at] = {hash, static_cast<std::uint32_t>(made_.size())};
        return static_cast<std::uint32_t>(made_.size() - 1);
    }

    // As LocatedRow, with texts that recur from place to place (countries,
    // regions, city names, organisations) made once and shared while seen
    // lately: a million places each their own still share most texts.
    TResultRow MakeShared(const orvanta::bulk::BulkRow& in, const std::string& organisationText) {
        TResultRow row;
        Slot& organisation = Seen(organisationText, 'o');
        if (organisation.text.isNull()) {
            SetOrganisationText(row, QString::fromStdString(organisationText));
            organisation.text = row.organization.isEmpty()
                                    ? row.organization
                                    : PooledUtf8(row.organization.toStdString());
            organisation.asn = row.asn;
        }
        row.organization = organisation.text;
        row.asn = organisation.asn;
        if (!in.found)
            return row;
        const auto& r = in.record;
        row.found = true;
        row.countryCode = Latin1(r.CountryCode, 'c');
        row.countryName = Latin1(r.CountryName, 'n');
        row.region = Latin1(r.Region, 'r');
        row.city = Latin1(r.City, 't');
        row.latitude = r.Latitude;
        row.longitude = r.Longitude;
        return row;
    }

    struct Slot {
        std::string key;
        QString text;
        std::optional<std::uint32_t> asn; // an organisation's
    };
    // The slot of `bytes` of a kind (`kind` keeps a region from passing for
    // a city of the same name); its text is null when newly taken.
    Slot& Seen(const std::string& bytes, char kind) {
        textKey_.assign(1, kind);
        textKey_ += bytes;
        Slot& slot = texts_[std::hash<std::string>{}(textKey_) % texts_.size()];
        if (slot.key != textKey_) {
            slot.key = textKey_;
            slot.text = QString();
            slot.asn.reset();
        }
        return slot;
    }
    QString Latin1(const std::string& bytes, char kind) {
        Slot& slot = Seen(bytes, kind);
        if (slot.text.isNull())
            slot.text = PooledLatin1(bytes);
        return slot.text;
    }

    std::string textKey_;
    std::vector<Slot> texts_ = std::vector<Slot>(8192);
    // The rows made so far, without address and count, by their place and
    // organisation (or, without a place, by their texts): a run of a
    // million addresses in a few thousand places makes a few thousand.
    // Kept apart from the rows, small and together, the keys are found
    // without touching the rows' memory.
    static constexpr std::size_t kMadeCap = 1 << 16;
    struct Known {
        std::size_t hash = 0;
        std::uint32_t made = 0; // index in made_ + 1; 0: free
    };
    std::string key_;
    std::vector<std::uint32_t> at_; // a batch's rows' indices in made_
    std::vector<TResultRow> made_;
    std::vector<std::string> keys_; // made_'s keys, index for index
    std::vector<Known> index_ = std::vector<Known>(kMadeCap * 2);
};

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
        // Room for the whole piece at once (a step, or the rest of the
        // run): growing a vector of rows batch by batch moved every row
        // several times.
        if (step_.rows.empty()) {
            const std::size_t left = total > done ? total - done : 0;
            const std::size_t room = std::min(kStepRows, rows.size() + left);
            step_.rows.reserve(std::max(room, rows.size()));
            step_.places.reserve(step_.rows.capacity());
            if (!capture_)
                step_.addresses.reserve(step_.rows.capacity());
        }
        const std::size_t first = step_.rows.size();
        maker_.Make(rows, capture_, step_.rows);
        for (std::size_t k = 0; k < rows.size(); ++k) {
            orvanta::bulk::BulkRow& row = rows[k];
            if (row.found)
                step_.places.push_back({row.record.Latitude,
                                        row.record.Longitude,
                                        static_cast<int>(first + k),
                                        {},
                                        row.count});
            if (!capture_)
                step_.addresses.push_back(std::move(row.address));
        }
        if (!sentAny_ || step_.rows.size() >= kStepRows ||
            std::chrono::steady_clock::now() - sentAt_ >= std::chrono::milliseconds(kStepMs))
            Flush();
    }

    // Sends what was gathered; also what a stopped capture counted.
    void Flush() {
        if (step_.rows.empty())
            return;
        // A piece that used less than half its room gives the rest back:
        // the list keeps the piece as it is.
        if (step_.rows.capacity() - step_.rows.size() > step_.rows.size())
            step_.rows.shrink_to_fit();
        step_.texts.assign(step_.rows.size(), TResultsModel::TextsLater());
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
    RowMaker maker_;
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
    BulkLocate::Reader reader;
    if (input->fd >= 0) {
        reader = orvanta::bulk::FileReader(input->fd, input->fileName);
    } else {
        // Turned into UTF-8 here, a piece at a time: a large paste costs
        // the window's thread nothing but the copy it hands over.
        reader = [input, at = qsizetype{0}](char* buffer, std::size_t size) mutable {
            const QString& text = input->text;
            qsizetype n = std::min(static_cast<qsizetype>(size / 3), text.size() - at);
            if (n > 0 && at + n < text.size() && text[at + n - 1].isHighSurrogate())
                --n; // a pair stays whole
            const QByteArray bytes = QStringView(text).mid(at, n).toUtf8();
            at += n;
            std::memcpy(buffer, bytes.constData(), static_cast<std::size_t>(bytes.size()));
            return static_cast<std::size_t>(bytes.size());
        };
    }
    const orvanta::bulk::RunFiles files = files_;
    auto opener = [files] { return orvanta::bulk::OpenRunDatabases(files); };
    // A regular file (its size known) is read by position, in halves when
    // it is large.
    BulkLocate run = input->fd >= 0 && input->size > 0
                         ? BulkLocate({input->fd, input->fileName, input->size}, opener)
                         : BulkLocate(reader, opener);

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
    hooks.rows = [&](std::vector<orvanta::bulk::BulkRow>&& rows, std::size_t done,
                     std::size_t total) { pieces.Take(std::move(rows), done, total); };

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
    hooks.rows = [&](std::vector<orvanta::bulk::BulkRow>&& rows, std::size_t done,
                     std::size_t total) { pieces.Take(std::move(rows), done, total); };
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
