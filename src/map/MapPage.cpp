// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/MapPage.h"

#include "net/WebWhoisAddress.h"

#include <cstdlib>

namespace orvanta::map {
namespace {

// Split at the loader's query and at the marker icon address; everything
// else is fixed text. Kept on one line: the page is a single line by design.
constexpr std::string_view kHead =
    "<html><head><meta name=\"viewport\" content=\"initial-scale=1.0, user-scalable=yes\" />"
    "<script type=\"text/javascript\" src=\"";

constexpr std::string_view kScriptStart =
    "\"></script><script type=\"text/javascript\"> var geocoder; var map; var trafficLayer; "
    "var bikeLayer; var markersArray = []; "
    "function initialize() { geocoder = new google.maps.Geocoder(); "
    "var latlng = new google.maps.LatLng(40.714776, -74.019213); "
    "var myOptions = { zoom: 13, center: latlng, mapTypeId: google.maps.MapTypeId.ROADMAP }; "
    "map = new google.maps.Map(document.getElementById(\"map_canvas\"), myOptions); "
    "trafficLayer = new google.maps.TrafficLayer(); bikeLayer = new google.maps.BicyclingLayer(); "
    "map.set(\"streetViewControl\", false); } "
    "function codeAddress(address) { if (geocoder) { geocoder.geocode({ 'address': address }, "
    "function (results, status) { if (status == google.maps.GeocoderStatus.OK) { "
    "var point = results[0].geometry.location; map.setCenter(point); "
    "PutMarker(point.lat(), point.lng(), point.lat() + \",\" + point.lng()); } "
    "else { alert(\"Geocode was not successful for the following reason: \" + status); } }); } } "
    "function GotoLatLng(Lat, Lang) { var latlng = new google.maps.LatLng(Lat, Lang); "
    "map.setCenter(latlng); PutMarker(Lat, Lang, Lat + \",\" + Lang); } "
    "function ClearMarkers() { for (var i = 0; i < markersArray.length; i++) { "
    "markersArray[i].setMap(null); } } "
    "function PutMarker(Lat, Lang, Msg) { var latlng = new google.maps.LatLng(Lat, Lang); "
    "var marker = new google.maps.Marker({ position: latlng, map: map, "
    "title: Msg + \" (\" + Lat + \",\" + Lang + \")\" }); markersArray.push(marker); "
    "marker.setIcon(\"";

constexpr std::string_view kScriptEnd =
    "\"); } "
    "function TrafficOn() { trafficLayer.setMap(map); } "
    "function TrafficOff() { trafficLayer.setMap(null); } "
    "function BicyclingOn() { bikeLayer.setMap(map); } "
    "function BicyclingOff() { bikeLayer.setMap(null); } "
    "function StreetViewOn() { map.set(\"streetViewControl\", true); } "
    "function StreetViewOff() { map.set(\"streetViewControl\", false); } "
    "</script></head><body onload=\"initialize()\">"
    "<div id=\"map_canvas\" style=\"width:100%; height:100%\"></div>"
    "<body style=\"margin:0\"></body></html>";

} // namespace

std::string mapPageText(std::string_view apiKey) {
    std::string page;
    page.reserve(2800 + apiKey.size() * 3);
    page += kHead;
    page += kMapsLoaderUrl;
    page += "?sensor=true";
    if (!apiKey.empty()) {
        page += "&key=";
        page += net::PercentEncodeQueryValue(apiKey);
    }
    page += kScriptStart;
    page += kSiteOrigin;
    page += kMarkerIconPath;
    page += kScriptEnd;
    return page;
}

std::string mapPageTextFromEnvironment() {
    const char* key = std::getenv(kMapsApiKeyVariable);
    return mapPageText(key != nullptr ? std::string_view(key) : std::string_view());
}

} // namespace orvanta::map
