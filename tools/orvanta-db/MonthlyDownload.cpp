// SPDX-License-Identifier: GPL-3.0-or-later
#include "MonthlyDownload.h"

#include "DatabaseUpdate.h"
#include "http/HttpClient.h"
#include "mmdbimport/Progress.h"

namespace orvanta::dbtool::update {
namespace {

std::string Base(const UpdateRequest& request) {
    std::string base = request.baseUrl.empty() ? DefaultDownloadBase : request.baseUrl;
    while (!base.empty() && base.back() == '/') {
        base.pop_back();
    }
    return base;
}

http::Response Fetch(const UpdateRequest& update, const std::string& name,
                     mmdbimport::Progress& progress) {
    http::Request request;
    request.url = Base(update) + "/" + name;
    request.limits.connectTimeout = update.connectTimeout;
    request.limits.totalTimeout = update.totalTimeout;
    request.limits.maxBytes = update.maxDownloadBytes;
    request.limits.maxRedirects = 5;
    // The gzip layer is the file itself, unpacked later with its own cap.
    request.decodeContent = false;
    bool started = false;
    request.onProgress = [&progress, &started, name](std::uint64_t received, std::uint64_t total) {
        if (!started && received > 0) {
            progress.Start("downloading " + name, total);
            started = true;
        }
        if (started) {
            progress.Advance(received);
        }
        return true;
    };
    try {
        http::Response response = http::Fetch(request);
        if (started) {
            progress.Finish();
        }
        return response;
    } catch (const http::HttpError& error) {
        if (started) {
            progress.Finish();
        }
        throw UpdateError(std::string("Download failed: ") + error.what());
    }
}

} // namespace

std::optional<DownloadedFile> DownloadMonthly(const UpdateRequest& request, const Product& product,
                                              mmdbimport::Progress& progress,
                                              const AlreadyInstalled& alreadyInstalled) {
    const int year = request.year;
    const unsigned month = request.month;
    const std::string current = ProductFileName(product, year, month);
    const std::string previous = month <= 1 ? ProductFileName(product, year - 1, 12)
                                            : ProductFileName(product, year, month - 1);
    if (alreadyInstalled(current)) {
        return std::nullopt;
    }
    http::Response response = Fetch(request, current, progress);
    std::string name = current;
    if (response.status == 404) {
        if (alreadyInstalled(previous)) {
            return std::nullopt;
        }
        response = Fetch(request, previous, progress);
        name = previous;
        if (response.status == 404) {
            throw UpdateError("Neither " + current + " nor " + previous + " is at " +
                              Base(request) + " (HTTP 404)");
        }
    }
    if (response.status != 200) {
        throw UpdateError(Base(request) + "/" + name + " answered HTTP " +
                          std::to_string(response.status) + "; nothing was changed");
    }
    return DownloadedFile{name, std::move(response.body)};
}

} // namespace orvanta::dbtool::update
