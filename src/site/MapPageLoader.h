#pragma once
// Loads the map page the environment asks for into a browser page: the
// open map by default, the keyed street map page when a maps API key is
// set, either one when ORVANTA_MAP names it. A refused setting gives one
// line on stderr and the default.

class QWebEnginePage;

class TMapPageLoader {
public:
    static void load(QWebEnginePage* page);
};
