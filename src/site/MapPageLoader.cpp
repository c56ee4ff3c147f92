// SPDX-License-Identifier: GPL-3.0-or-later
#include "site/MapPageLoader.h"

#include "map/MapChoice.h"
#include "map/MapPage.h"
#include "map/OpenMapSite.h"
#include "map/TileTemplate.h"
#include "site/MapProfile.h"

#include <QUrl>
#include <QWebEnginePage>
#include <cstdlib>
#include <iostream>

void TMapPageLoader::load(QWebEnginePage* page, bool privateMode) {
    const auto choice = orvanta::map::chooseMapFromEnvironment();
    if (!choice.warning.empty()) {
        std::cerr << "orvanta: " << choice.warning << '\n';
    }
    const bool keyed = choice.kind == orvanta::map::MapKind::Google;
    if (keyed && !privateMode) {
        // The tile servers' rules ask for the program's name; Google's API
        // wants to see the browser it runs in.
        TMapProfile::useEngineUserAgent(page->profile());
        page->setHtml(QString::fromLatin1(orvanta::map::mapPageTextFromEnvironment()));
        return;
    }
    const auto tiles =
        orvanta::map::chooseTileTemplate(std::getenv(orvanta::map::kTileTemplateVariable));
    if (!tiles.warning.empty()) {
        std::cerr << "orvanta: " << tiles.warning << '\n';
    }
    page->setUrl(
        QUrl(QString::fromStdString(orvanta::map::openMapAddress(tiles.url, privateMode, keyed))));
}
