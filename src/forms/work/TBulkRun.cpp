#include "forms/work/TBulkRun.h"

#include "bulk/BulkLocate.h"
#include "forms/results/ResultRow.h"
#include "geoip/EFOpenError.h"
#include "geoip/OrganizationOf.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace {

// The IPv6 city database beside the IPv4 one, as orvanta-db update leaves it.
const char* const kCityV6File = "GeoLiteCityv6.dat";

// Rows of one place and organisation differ only in their address and
// count: the rest (values and texts) is made once per place for the run and
// shared by its rows. Most of a million rows' time and memory went into
// making and keeping the same city names and coordinate texts again.
class RowMaker {
public:
    explicit RowMaker(QChar separator) : separator_(separator) {}

    void Make(const orvanta::bulk::BulkRow& in, TResultRow& row, TListItem& texts) {
        key_.clear();
        if (in.found) {
            const auto& r = in.record;
            for (const std::string* field : {&r.CountryCode, &r.CountryName, &r.Region, &r.City}) {
                key_ += *field;
                key_ += '\x1f';
            }
            key_.append(reinterpret_cast<const char*>(&r.Latitude), sizeof r.Latitude);
            key_.append(reinterpret_cast<const char*>(&r.Longitude), sizeof r.Longitude);
        }
        key_ += in.found ? '\x1e' : '\x1d';
        key_ += in.organization;
        const auto [made, added] = made_.try_emplace(key_);
        if (added) {
            made->second.row = LocatedRow(QString(), in.found ? &in.record : nullptr,
                                          QString::fromStdString(in.organization));
            made->second.texts = ResultTexts(made->second.row, separator_);
        }
        row = made->second.row;
        row.address =
            QString::fromLatin1(in.address.data(), static_cast<qsizetype>(in.address.size()));
        row.count = in.count;
        texts = made->second.texts;
        texts.SubItems[0] = row.address;
        texts.SubItems << CountText(in.count);
    }

private:
    QString CountText(std::uint64_t count) {
        if (count >= counts_.size())
            return QString::number(count);
        QString& text = counts_[count];
        if (text.isNull())
            text = QString::number(count);
        return text;
    }

    struct Made {
        TResultRow row; // without address and count
        TListItem texts;
    };
    QChar separator_;
    std::string key_;
    std::unordered_map<std::string, Made> made_;
    std::array<QString, 1024> counts_;
};

} // namespace

struct TBulkRun::Input {
    QString text;
    int fd = -1;
    std::string fileName;
    std::uint64_t size = 0;
    QChar separator;
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
    worker_ = std::thread([this, input, generation = generation_] { Work(input, generation); });
}

void TBulkRun::Work(std::shared_ptr<Input> input, int generation) {
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
    BulkLocate run(reader, [files] { return orvanta::bulk::OpenRunDatabases(files); });

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
    // The window's thread only swaps in finished pieces: rows, texts and
    // places are all made here, and gathered into few large pieces.
    TBulkBatch step;
    RowMaker maker(input->separator);
    bool sentAny = false;
    auto sentAt = std::chrono::steady_clock::now();
    const auto send = [&] {
        if (step.rows.empty())
            return;
        Post(generation, [this, batch = std::move(step)]() mutable {
            if (onProgress)
                onProgress(0.5 + 0.5 * static_cast<double>(batch.done) /
                                     static_cast<double>(batch.total));
            if (onRows)
                onRows(std::move(batch));
        });
        step = TBulkBatch{};
        sentAny = true;
        sentAt = std::chrono::steady_clock::now();
    };
    hooks.rows = [&](std::vector<orvanta::bulk::BulkRow>&& rows, std::size_t done,
                     std::size_t total) {
        step.done = done;
        step.total = total;
        for (orvanta::bulk::BulkRow& row : rows) {
            if (row.found)
                step.places.push_back({row.record.Latitude,
                                       row.record.Longitude,
                                       static_cast<int>(step.rows.size()),
                                       {},
                                       row.count});
            maker.Make(row, step.rows.emplace_back(), step.texts.emplace_back());
            step.addresses.push_back(std::move(row.address));
        }
        if (!sentAny || step.rows.size() >= kStepRows ||
            std::chrono::steady_clock::now() - sentAt >= std::chrono::milliseconds(kStepMs))
            send();
    };

    Outcome outcome = Outcome::Failed;
    QString error;
    try {
        switch (run.Run(stop_, hooks)) {
        case orvanta::bulk::BulkOutcome::Done:
            send();
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
