#include "forms/work/TBulkRun.h"

#include "bulk/BulkLocate.h"
#include "forms/results/ResultRow.h"
#include "geoip/EFOpenError.h"
#include "geoip/OrganizationOf.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The IPv6 city database beside the IPv4 one, as orvanta-db update leaves it.
const char* const kCityV6File = "GeoLiteCityv6.dat";

TResultRow RowOf(const orvanta::bulk::BulkRow& row) {
    TResultRow typed =
        LocatedRow(QString::fromStdString(row.address), row.found ? &row.record : nullptr,
                   QString::fromStdString(row.organization));
    typed.count = row.count;
    return typed;
}

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
    hooks.rows = [&](std::vector<orvanta::bulk::BulkRow>&& rows, std::size_t done,
                     std::size_t total) {
        TBulkBatch batch;
        batch.done = done;
        batch.total = total;
        batch.rows.reserve(rows.size());
        batch.texts.reserve(rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            batch.rows.push_back(RowOf(rows[i]));
            // The texts are made here too: the window's thread only appends.
            batch.texts.push_back(ResultTexts(batch.rows.back(), input->separator));
            if (rows[i].found)
                batch.places.push_back({rows[i].record.Latitude, rows[i].record.Longitude,
                                        static_cast<int>(i), rows[i].address});
        }
        Post(generation, [this, batch = std::move(batch)]() mutable {
            if (onProgress)
                onProgress(0.5 + 0.5 * static_cast<double>(batch.done) /
                                     static_cast<double>(batch.total));
            if (onRows)
                onRows(std::move(batch));
        });
    };

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
