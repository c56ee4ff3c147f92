// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeMapsApi.h"

#include "site/SiteInterceptor.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <memory>

namespace {

// Records every constructor and method call the page makes in fake.calls,
// keeps the markers in fake.markers, and leaves geocoding answers to the
// test (fake.answer).
const char kFakeApi[] = R"JS(
var fake = { calls: [], markers: [], requests: [], pending: [], map: null };
(function () {
  function text(v) {
    if (v && v.__text) return v.__text;
    if (v && typeof v === "object" && !(v instanceof Element)) {
      return "{" + Object.keys(v).map(function (k) { return k + ":" + text(v[k]); }).join(",") + "}";
    }
    if (v instanceof Element) return "#" + v.id;
    return JSON.stringify(v);
  }
  function record(name, args) {
    fake.calls.push(name + "(" + Array.prototype.map.call(args, text).join(",") + ")");
  }
  function Layer(kind) {
    var self = this;
    this.__text = kind; this.map = null;
    this.setMap = function (m) { record(kind + ".setMap", arguments); self.map = m; };
  }
  window.google = { maps: {
    GeocoderStatus: { OK: "OK" },
    MapTypeId: { ROADMAP: "roadmap" },
    LatLng: function (a, b) {
      record("LatLng", arguments);
      this.__text = "LatLng(" + a + "," + b + ")";
      this.lat = function () { return a; };
      this.lng = function () { return b; };
    },
    Geocoder: function () {
      record("Geocoder", arguments);
      this.__text = "geocoder";
      this.geocode = function (request, callback) {
        record("geocode", [request]);
        fake.requests.push(request);
        fake.pending.push(callback);
      };
    },
    Map: function (element, options) {
      record("Map", arguments);
      var self = this;
      this.__text = "map"; this.props = {}; this.center = options.center;
      this.set = function (k, v) { record("map.set", arguments); self.props[k] = v; };
      this.setCenter = function (p) { record("map.setCenter", arguments); self.center = p; };
      element.style.background = "#cfe3c8";
      fake.map = this;
    },
    Marker: function (options) {
      record("Marker", arguments);
      var self = this;
      this.title = options.title; this.map = options.map; this.position = options.position;
      this.setMap = function (m) { self.map = m; if (self.img) self.img.style.display = m ? "" : "none"; };
      this.setIcon = function (url) {
        self.icon = url;
        self.img = document.createElement("img");
        self.img.src = url;
        self.img.style.cssText = "position:absolute;left:50%;top:50%;margin:-32px 0 0 -16px";
        document.getElementById("map_canvas").appendChild(self.img);
      };
      fake.markers.push(this);
    },
    TrafficLayer: function () { record("TrafficLayer", arguments); Layer.call(this, "traffic"); },
    BicyclingLayer: function () { record("BicyclingLayer", arguments); Layer.call(this, "bike"); }
  } };
  // Answers the oldest pending geocode request.
  fake.answer = function (points, status) {
    var results = points.map(function (p) {
      return { geometry: { location: { __text: "point(" + p[0] + "," + p[1] + ")",
        lat: function () { return p[0]; }, lng: function () { return p[1]; } } } };
    });
    fake.pending.shift()(results, status);
  };
  fake.visible = function () { return fake.markers.filter(function (m) { return m.map; }).length; };
})();
)JS";

} // namespace

class FakeMapsApi::Handler : public QWebEngineUrlSchemeHandler {
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
    void requestStarted(QWebEngineUrlRequestJob* job) override {
        auto* body = new QBuffer(job);
        body->setData(QByteArray(kFakeApi));
        body->open(QIODevice::ReadOnly);
        job->reply("text/javascript", body);
    }
};

void FakeMapsApi::registerScheme() {
    QWebEngineUrlScheme scheme("fakemaps");
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::CorsEnabled);
    QWebEngineUrlScheme::registerScheme(scheme);
}

FakeMapsApi::FakeMapsApi(QWebEngineProfile* profile)
    : QWebEngineUrlRequestInterceptor(profile), FHandler(new Handler(this)) {
    profile->installUrlSchemeHandler("fakemaps", FHandler);
    profile->setUrlRequestInterceptor(this);
}

void FakeMapsApi::interceptRequest(QWebEngineUrlRequestInfo& info) {
    const QUrl url = info.requestUrl();
    FRequests << url.toString();
    if (TSiteInterceptor::redirectWebWhois(info)) {
        return;
    }
    if (url.host() == QLatin1String("maps.googleapis.com")) {
        FLoaderRequests << url.toString();
        if (FMode == Mode::Fail) {
            info.block(true);
        } else {
            info.redirect(QUrl(QStringLiteral("fakemaps:api.js")));
        }
        return;
    }
    // Nothing in a test may leave the machine.
    if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) {
        info.block(true);
    }
}

bool loadHtml(QWebEnginePage& page, const QString& html) {
    QEventLoop loop;
    bool ok = false;
    bool done = false;
    auto connection = QObject::connect(&page, &QWebEnginePage::loadFinished, [&](bool result) {
        ok = result;
        done = true;
        loop.quit();
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    page.setHtml(html);
    if (!done) {
        loop.exec();
    }
    QObject::disconnect(connection);
    return done && ok;
}

QVariant evalJs(QWebEnginePage& page, const QString& script) {
    auto value = std::make_shared<QVariant>();
    auto done = std::make_shared<bool>(false);
    QEventLoop loop;
    QPointer<QEventLoop> waiting(&loop);
    page.runJavaScript(script, [value, done, waiting](const QVariant& v) {
        *value = v;
        *done = true;
        if (waiting) {
            waiting->quit();
        }
    });
    // An answer may never come (a call made while the page navigates is
    // dropped with the document it ran in): waitForJs then asks again.
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    if (!*done) {
        loop.exec();
    }
    return *value;
}

bool waitForJs(QWebEnginePage& page, const QString& script, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (evalJs(page, script).toBool()) {
            return true;
        }
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return false;
}
