// SPDX-License-Identifier: GPL-3.0-or-later
// A traced route on the open map: one numbered marker per located hop, in
// hop order, and the line joining them, together in the layer group
// `routeLayer`. The program draws the whole route anew as hops arrive and
// fits the map to it when the trace ends. Clicking a marker tells the
// program, through its own site, which hop to select in the route window.
var routeLayer = null;

function RouteClear() {
  if (routeLayer) {
    routeLayer.remove();
    routeLayer = null;
  }
}

function routeMarkerIcon(hop) {
  var label = document.createElement("div");
  label.className = "route-hop";
  label.textContent = String(hop);
  return L.divIcon({ html: label, className: "route-hop-icon", iconSize: [22, 22], iconAnchor: [11, 11] });
}

function routeSelectHop(hop) {
  var request = new XMLHttpRequest();
  request.open("GET", "/route/select?hop=" + encodeURIComponent(String(hop)));
  request.send();
}

// points: [[hop, latitude, longitude, title], ...] in hop order.
function RouteShow(points, fit) {
  RouteClear();
  routeLayer = L.layerGroup();
  var line = [];
  points.forEach(function (point) {
    var hop = point[0];
    var place = [point[1], point[2]];
    var marker = L.marker(place, { title: point[3], icon: routeMarkerIcon(hop) });
    marker.on("click", function () { routeSelectHop(hop); });
    routeLayer.addLayer(marker);
    line.push(place);
  });
  routeLayer.addLayer(L.polyline(line, { color: "#2a6fdb", weight: 3, opacity: 0.8 }));
  routeLayer.addTo(map);
  if (fit && line.length > 0) {
    map.fitBounds(L.latLngBounds(line), { padding: [30, 30], maxZoom: 12, animate: false });
  }
}
