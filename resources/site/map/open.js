// SPDX-License-Identifier: GPL-3.0-or-later
// The open map: the same global functions, arguments and effects as the
// keyed street map page, so the program drives both with the same call
// texts. Built on Leaflet: street tiles over a world map that needs no
// network. Places are answered by the program itself through its own site
// (the only texts it ever asks for are its own location lines), so no
// address leaves the machine; only tile requests do.
var geocoder;
var map;
var markersArray = [];
// Moments (ms since the epoch) the program's benchmark reads.
var mapTimes = {};

var openMap = {
  start: [40.714776, -74.019213],
  zoom: 13,
  // With no street tiles a located place shows with its country and
  // neighbours around it.
  offlineZoom: 4,
  // How long the first tile may take before the map counts as offline: a
  // tile server that stalls gives no error for minutes.
  tileWaitMs: 5000,
  defaultTiles: "https://tile.openstreetmap.org/{z}/{x}/{y}.png",
  icon: "orvanta://site/maker/1427436750_My-Network-Places-icon.png",
  tiles: null,
  tileSeen: false,
  offline: false,
  // The zoom the map had before going offline took it out, while it still
  // shows that offline zoom.
  zoomBeforeOffline: null,
  // The place the program last centred the map on, until anything else
  // moves the map: at a low zoom the map's own centre is a whole pixel off,
  // which is far from the place once zoomed in.
  placeShown: null,
  showingPlace: false,
  note: null
};

function openMapNow() {
  return performance.timeOrigin + performance.now();
}

// Reads a JSON answer of the program's own site. The browser's fetch does
// not serve the program's scheme; a request does.
function openMapGetJson(address, onAnswer, onFailure) {
  var request = new XMLHttpRequest();
  request.open("GET", address);
  request.onload = function () {
    var answer;
    try {
      if (request.status !== 200) {
        throw new Error("no answer");
      }
      answer = JSON.parse(request.responseText);
    } catch (error) {
      onFailure();
      return;
    }
    onAnswer(answer);
  };
  request.onerror = onFailure;
  request.send();
}

// Asks the program where one of its location lines is; answers in the
// shape of a geocoder: a result list and a status.
function PlaceFinder() {}
PlaceFinder.prototype.geocode = function (request, callback) {
  var query;
  try {
    query = "/map/place?address=" + encodeURIComponent(request.address);
  } catch (error) {
    setTimeout(function () { callback([], "INVALID_REQUEST"); }, 0);
    return;
  }
  openMapGetJson(query, function (answer) {
    callback(answer.results, answer.status);
  }, function () {
    callback([], "ERROR");
  });
};

function openMapTileTemplate() {
  var given = new URLSearchParams(window.location.search).get("tiles");
  return given ? given : openMap.defaultTiles;
}

function openMapGoOffline() {
  if (openMap.offline) {
    return;
  }
  openMap.offline = true;
  if (map.getZoom() > openMap.offlineZoom) {
    var before = map.getZoom();
    map.setZoom(openMap.offlineZoom, { animate: false });
    openMap.zoomBeforeOffline = before; // after the zoom that is not the user's
  }
  openMap.note = L.control({ position: "bottomleft" });
  openMap.note.onAdd = function () {
    var note = L.DomUtil.create("div", "offline-note");
    note.textContent = openMapNoteText();
    return note;
  };
  openMap.note.addTo(map);
}

function openMapWatchTiles(tiles) {
  map.on("movestart", function () {
    if (!openMap.showingPlace) {
      openMap.placeShown = null;
    }
  });
  map.on("zoomstart", function () {
    // Once the user zooms, the zoom is theirs.
    if (openMap.offline) {
      openMap.zoomBeforeOffline = null;
    }
  });
  tiles.on("tileload", function () {
    openMap.tileSeen = true;
    if (!openMap.offline) {
      return;
    }
    // The tile server answers after all (a late start, or the network
    // back): street tiles again, at the zoom they were meant for.
    openMap.offline = false;
    openMap.note.remove();
    openMap.note = null;
    if (openMap.zoomBeforeOffline !== null) {
      var zoom = openMap.zoomBeforeOffline;
      openMap.zoomBeforeOffline = null;
      openMapShowPlace(openMap.placeShown || map.getCenter(), zoom);
    }
  });
  tiles.on("tileerror", function () {
    if (!openMap.tileSeen) {
      openMapGoOffline();
    }
  });
  setTimeout(function () {
    if (!openMap.tileSeen) {
      openMapGoOffline();
    }
  }, openMap.tileWaitMs);
}

// The world base map under the tiles. Missing, empty or broken data leaves
// the map as it is: tiles online, a plain background offline.
function openMapLoadWorld() {
  var missing = function () {
    mapTimes.worldMissing = openMapNow();
  };
  openMapGetJson("/map/world.geojson", function (shapes) {
    try {
      var layer = L.geoJSON(shapes, {
        pane: "world",
        renderer: L.canvas({ pane: "world" }),
        interactive: false,
        attribution: "Natural Earth",
        style: { color: "#9e9ba6", weight: 1, fillColor: "#f2efe9", fillOpacity: 1 }
      });
      layer.addTo(map);
    } catch (error) {
      missing();
      return;
    }
    map.getContainer().classList.add("with-world");
    mapTimes.worldDrawn = openMapNow();
  }, missing);
}

function initialize() {
  geocoder = new PlaceFinder();
  map = L.map("map_canvas", { center: openMap.start, zoom: openMap.zoom });
  // Plain text: a link would take the page away from the map.
  map.attributionControl.setPrefix("Leaflet");
  map.createPane("world").style.zIndex = 150;
  openMap.tiles = L.tileLayer(openMapTileTemplate(), {
    attribution: "\u00a9 OpenStreetMap contributors",
    maxZoom: 19
  });
  openMapWatchTiles(openMap.tiles);
  openMapPrivateStart(); // the tiles, unless the page starts in private mode
  openMapLoadWorld();
  placesSetUp();
  countriesSetUp();
  mapTimes.initialized = openMapNow();
}

function openMapShowPlace(place, zoom) {
  openMap.showingPlace = true;
  try {
    map.setView(place, zoom, { animate: false });
  } finally {
    openMap.showingPlace = false;
  }
  openMap.placeShown = L.latLng(place);
}

function codeAddress(address) {
  if (geocoder) {
    geocoder.geocode({ 'address': address }, function (results, status) {
      if (status == "OK") {
        var point = results[0];
        openMapShowPlace([point.lat, point.lng], map.getZoom());
        PutMarker(point.lat, point.lng, point.lat + "," + point.lng);
      } else {
        alert("Geocode was not successful for the following reason: " + status);
      }
    });
  }
}

function GotoLatLng(Lat, Lang) {
  openMapShowPlace([Lat, Lang], map.getZoom());
  PutMarker(Lat, Lang, Lat + "," + Lang);
}

function ClearMarkers() {
  for (var i = 0; i < markersArray.length; i++) {
    markersArray[i].remove();
  }
}

function PutMarker(Lat, Lang, Msg) {
  var marker = L.marker([Lat, Lang], {
    title: Msg + " (" + Lat + "," + Lang + ")",
    icon: L.icon({ iconUrl: openMap.icon, iconSize: [32, 32], iconAnchor: [16, 32] })
  });
  marker.addTo(map);
  markersArray.push(marker);
  mapTimes.markerShown = openMapNow();
}

// Traffic, bicycling and street view have no keyless counterpart here:
// the switches are accepted and change nothing.
function TrafficOn() {}
function TrafficOff() {}
function BicyclingOn() {}
function BicyclingOff() {}
function StreetViewOn() {}
function StreetViewOff() {}
