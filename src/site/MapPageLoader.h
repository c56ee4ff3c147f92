// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Loads the map page the environment asks for into a browser page: the
// open map by default, the keyed street map page when a maps API key is
// set, either one when ORVANTA_MAP names it. A refused setting gives one
// line on stderr and the default. In private mode the keyed page is not
// loaded (it would fetch Google's script and tiles): the open map stands in
// for it, without street tiles.

class QWebEnginePage;

class TMapPageLoader {
public:
    static void load(QWebEnginePage* page, bool privateMode = false);
};
