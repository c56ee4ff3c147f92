// SPDX-License-Identifier: GPL-3.0-or-later
// Private mode of the open map: no tile requests at all, the offline world
// map alone with a note saying why. The program starts the page with
// "private=1" in its query when the mode is on, so not even the first tiles
// go out, and flips it at once with SetPrivateMode(on); switched back, the
// street tiles return without a reload.
var openMapPrivate = {
  on: new URLSearchParams(window.location.search).get("private") === "1",
  // The keyed page was chosen but not loaded: this map stands in for it.
  keyed: new URLSearchParams(window.location.search).get("keyed") === "1"
};

function openMapNoteText() {
  if (!openMapPrivate.on) {
    return "Street tiles unavailable: offline world map";
  }
  return openMapPrivate.keyed
    ? "Private mode: street tiles off (the keyed map is not loaded)"
    : "Private mode: street tiles off";
}

function openMapRetitleNote() {
  if (openMap.note && openMap.note.getContainer()) {
    openMap.note.getContainer().textContent = openMapNoteText();
  }
}

// In place of adding the tile layer at start.
function openMapPrivateStart() {
  // The map's zoom limit came from the tile layer; without it on the map,
  // fitting many places would find no limit.
  map.setMaxZoom(openMap.tiles.options.maxZoom);
  if (openMapPrivate.on) {
    openMapGoOffline();
  } else {
    openMap.tiles.addTo(map);
  }
}

function SetPrivateMode(on) {
  on = !!on;
  if (on === openMapPrivate.on) {
    return;
  }
  openMapPrivate.on = on;
  if (on) {
    // Leaflet cancels the tiles still loading when the layer goes.
    openMap.tiles.remove();
    if (openMap.offline) {
      openMapRetitleNote();
    } else {
      openMapGoOffline();
    }
    return;
  }
  // Offline until a tile arrives; the layer's own watch brings the streets
  // (and the zoom they were meant for) back then.
  openMapRetitleNote();
  openMap.tileSeen = false;
  openMap.tiles.addTo(map);
}
