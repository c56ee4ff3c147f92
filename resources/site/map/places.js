// SPDX-License-Identifier: GPL-3.0-or-later
// The layer of many places: the located addresses of the program's
// many-address runs. The program keeps the places and their clusters; the
// page asks the program's own site for what lies in the current view and
// draws only that, so a million places cost the page what a few hundred
// do. A cluster shows how many addresses it holds (their occurrences on
// hover) and zooms in when clicked; a single place is the usual marker and
// selects its row. The single marker of a locate and the route stay apart.
var placesLayer = null;

var placesState = {
  total: 0,        // located places the layer represents, as last answered
  known: 0,        // located places the program reported
  finished: false, // the run reporting them is over
  extent: null,    // bounds of every place, from the program
  asking: false,   // a view request is under way
  again: false,    // the view changed while it was
  generation: 0,   // bumped by placesClear: older answers are dropped
  direct: null     // markers handed over by placesAdd
};

function placesSetUp() {
  if (placesLayer) {
    return;
  }
  placesLayer = L.featureGroup();
  placesLayer.addTo(map);
  placesState.direct = L.featureGroup();
  placesState.direct.addTo(map);
  map.on("moveend", placesAsk);
}

// The number of located places the layer represents.
function placesCount() {
  return placesState.total;
}

// Told by the program as places arrive and when its run is over.
function placesRefresh(total, finished, south, west, north, east) {
  placesSetUp();
  placesState.known = total;
  placesState.finished = finished;
  placesState.extent = total > 0 ? L.latLngBounds([south, west], [north, east]) : null;
  placesAsk();
}

function placesFit() {
  placesSetUp();
  if (placesState.extent && placesState.extent.isValid()) {
    openMap.showingPlace = true;
    try {
      map.fitBounds(placesState.extent, { animate: false, maxZoom: openMap.zoom, padding: [20, 20] });
    } finally {
      openMap.showingPlace = false;
    }
    mapTimes.placesFitted = openMapNow();
  }
}

function placesClear() {
  placesState.generation += 1;
  placesState.total = 0;
  placesState.known = 0;
  placesState.finished = false;
  placesState.extent = null;
  if (placesLayer) {
    placesLayer.clearLayers();
    placesState.direct.clearLayers();
  }
}

// One request at a time; a view that changes meanwhile is asked for once
// the answer is in.
function placesAsk() {
  if (!placesLayer) {
    return;
  }
  if (placesState.asking) {
    placesState.again = true;
    return;
  }
  placesState.asking = true;
  placesState.again = false;
  var generation = placesState.generation;
  var b = map.getBounds();
  var query = "/map/places?s=" + b.getSouth() + "&w=" + b.getWest() + "&n=" + b.getNorth() +
    "&e=" + b.getEast() + "&z=" + map.getZoom();
  var done = function () {
    placesState.asking = false;
    if (placesState.again) {
      placesAsk();
    }
  };
  openMapGetJson(query, function (answer) {
    if (generation === placesState.generation) {
      placesDraw(answer);
    }
    done();
  }, done);
}

function placesClusterIcon(places) {
  var size = places < 100 ? "small" : places < 10000 ? "medium" : "large";
  var label = places < 10000 ? String(places) : Math.round(places / 1000) + "k";
  return L.divIcon({
    html: "<div><span>" + label + "</span></div>",
    className: "marker-cluster marker-cluster-" + size,
    iconSize: L.point(40, 40)
  });
}

// An element: latitude, longitude, places, occurrences, row, all at one
// spot (0/1), its cell's south, west, north, east, and a single place's
// title.
function placesDraw(answer) {
  var icon = L.icon({ iconUrl: openMap.icon, iconSize: [32, 32], iconAnchor: [16, 32] });
  var layers = [];
  for (var i = 0; i < answer.elements.length; i++) {
    var e = answer.elements[i];
    var marker;
    if (e[2] === 1) {
      var title = e.length > 10 ? e[10] : e[0] + "," + e[1];
      marker = L.marker([e[0], e[1]], { icon: icon, title: title, row: e[4] });
      marker.on("click", placesMarkerClicked);
    } else {
      marker = L.marker([e[0], e[1]], {
        icon: placesClusterIcon(e[2]),
        title: e[2] + " addresses, " + e[3] + " occurrences",
        row: e[4],
        places: e[2],
        samePlace: e[5] === 1,
        cell: L.latLngBounds([e[6], e[7]], [e[8], e[9]])
      });
      marker.on("click", placesClusterClicked);
    }
    layers.push(marker);
  }
  placesLayer.clearLayers();
  for (var j = 0; j < layers.length; j++) {
    placesLayer.addLayer(layers[j]);
  }
  placesState.total = answer.total;
  mapTimes.placesDrawn = openMapNow();
  if (placesState.finished && answer.total === placesState.known && answer.inView === answer.total) {
    mapTimes.placesShown = openMapNow();
  }
}

// The program selects the row of a clicked place; it learns of the click
// through its own site, the only place the page may ask.
function placesTellRow(row) {
  var request = new XMLHttpRequest();
  request.open("GET", "/map/select?row=" + row);
  request.send();
}

function placesMarkerClicked(event) {
  placesTellRow(event.target.options.row);
}

// A cluster opens into its cell; one that cannot split any further (all
// at one spot, or the deepest zoom) selects one of its rows instead.
function placesClusterClicked(event) {
  var o = event.target.options;
  if (o.samePlace || map.getZoom() >= map.getMaxZoom()) {
    placesTellRow(o.row);
    return;
  }
  map.fitBounds(o.cell, { animate: false, maxZoom: map.getMaxZoom() });
}

// Markers handed to the page directly, by a feed that keeps no clusters
// of its own: latitude, longitude, row, address; four entries per place.
function placesAdd(marks) {
  placesSetUp();
  var icon = L.icon({ iconUrl: openMap.icon, iconSize: [32, 32], iconAnchor: [16, 32] });
  for (var i = 0; i + 3 < marks.length; i += 4) {
    var marker = L.marker([marks[i], marks[i + 1]], { icon: icon, title: marks[i + 3], row: marks[i + 2] });
    marker.on("click", placesMarkerClicked);
    placesState.direct.addLayer(marker);
  }
}
