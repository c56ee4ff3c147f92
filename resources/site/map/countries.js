// SPDX-License-Identifier: GPL-3.0-or-later
// The shaded world map: the countries of the program's results shaded by
// how often their addresses occurred, in classes of tenfold steps, with a
// legend. Drawn over the same offline world shapes as the base map, so it
// needs no network either. The program sends the whole table each time it
// changes (a few hundred lines at most) with countriesShow and empties it
// with countriesClear. Codes the shapes do not have (EU, AP, A1, small
// islands) are listed under the legend rather than lost.
//
// Each feature of `countriesLayer` carries in its properties `iso_a2` (the
// database's two-letter code, null for shapes without one), `addresses`
// and `occurrences` (0 where the results have none).
var countriesLayer = null;

var countries = {
  // code -> [name, addresses, occurrences]
  lines: {},
  shapesRequested: false,
  // The shapes are in, or could not be read: only then is a code known to
  // have no shape.
  shapesDone: false,
  codesWithShape: {},
  legend: null,
  renderer: null,
  switcher: null,
  // Upper ends of the classes; the last class takes everything above.
  classes: [10, 100, 1000, 10000],
  colours: ["#fee5d9", "#fcae91", "#fb6a4a", "#de2d26", "#a50f15"]
};

// The world shapes name their countries in Natural Earth's short names;
// the database speaks ISO 3166 codes. Shapes without a code of their own
// (Siachen Glacier, Indian Ocean Ter. of two codes) stay unshaded.
var countriesCodeOfName = {
  "Afghanistan": "AF", "Albania": "AL", "Algeria": "DZ", "American Samoa": "AS",
  "Andorra": "AD", "Angola": "AO", "Anguilla": "AI", "Antarctica": "AQ",
  "Antigua and Barb.": "AG", "Argentina": "AR", "Armenia": "AM", "Aruba": "AW",
  "Ashmore and Cartier Is.": "AU", "Australia": "AU", "Austria": "AT", "Azerbaijan": "AZ",
  "Bahamas": "BS", "Bahrain": "BH", "Bangladesh": "BD", "Barbados": "BB", "Belarus": "BY",
  "Belgium": "BE", "Belize": "BZ", "Benin": "BJ", "Bermuda": "BM", "Bhutan": "BT",
  "Bolivia": "BO", "Bosnia and Herz.": "BA", "Botswana": "BW", "Br. Indian Ocean Ter.": "IO",
  "Brazil": "BR", "British Virgin Is.": "VG", "Brunei": "BN", "Bulgaria": "BG",
  "Burkina Faso": "BF", "Burundi": "BI", "Cabo Verde": "CV", "Cambodia": "KH",
  "Cameroon": "CM", "Canada": "CA", "Cayman Is.": "KY", "Central African Rep.": "CF",
  "Chad": "TD", "Chile": "CL", "China": "CN", "Colombia": "CO", "Comoros": "KM",
  "Congo": "CG", "Cook Is.": "CK", "Costa Rica": "CR", "Croatia": "HR", "Cuba": "CU",
  "Cura\u00e7ao": "CW", "Cyprus": "CY", "Czechia": "CZ", "C\u00f4te d'Ivoire": "CI",
  "Dem. Rep. Congo": "CD", "Denmark": "DK", "Djibouti": "DJ", "Dominica": "DM",
  "Dominican Rep.": "DO", "Ecuador": "EC", "Egypt": "EG", "El Salvador": "SV",
  "Eq. Guinea": "GQ", "Eritrea": "ER", "Estonia": "EE", "Ethiopia": "ET",
  "Faeroe Is.": "FO", "Falkland Is.": "FK", "Fiji": "FJ", "Finland": "FI",
  "Fr. Polynesia": "PF", "Fr. S. Antarctic Lands": "TF", "France": "FR", "Gabon": "GA",
  "Gambia": "GM", "Georgia": "GE", "Germany": "DE", "Ghana": "GH", "Greece": "GR",
  "Greenland": "GL", "Grenada": "GD", "Guam": "GU", "Guatemala": "GT", "Guernsey": "GG",
  "Guinea": "GN", "Guinea-Bissau": "GW", "Guyana": "GY", "Haiti": "HT",
  "Heard I. and McDonald Is.": "HM", "Honduras": "HN", "Hong Kong": "HK", "Hungary": "HU",
  "Iceland": "IS", "India": "IN", "Indonesia": "ID", "Iran": "IR", "Iraq": "IQ",
  "Ireland": "IE", "Isle of Man": "IM", "Israel": "IL", "Italy": "IT", "Jamaica": "JM",
  "Japan": "JP", "Jersey": "JE", "Jordan": "JO", "Kazakhstan": "KZ", "Kenya": "KE",
  "Kiribati": "KI", "Kosovo": "XK", "Kuwait": "KW", "Kyrgyzstan": "KG", "Laos": "LA",
  "Latvia": "LV", "Lebanon": "LB", "Lesotho": "LS", "Liberia": "LR", "Libya": "LY",
  "Liechtenstein": "LI", "Lithuania": "LT", "Luxembourg": "LU", "Macao": "MO",
  "Macedonia": "MK", "Madagascar": "MG", "Malawi": "MW", "Malaysia": "MY",
  "Maldives": "MV", "Mali": "ML", "Malta": "MT", "Marshall Is.": "MH", "Mauritania": "MR",
  "Mauritius": "MU", "Mexico": "MX", "Micronesia": "FM", "Moldova": "MD", "Monaco": "MC",
  "Mongolia": "MN", "Montenegro": "ME", "Montserrat": "MS", "Morocco": "MA",
  "Mozambique": "MZ", "Myanmar": "MM", "N. Cyprus": "CY", "N. Mariana Is.": "MP",
  "Namibia": "NA", "Nauru": "NR", "Nepal": "NP", "Netherlands": "NL",
  "New Caledonia": "NC", "New Zealand": "NZ", "Nicaragua": "NI", "Niger": "NE",
  "Nigeria": "NG", "Niue": "NU", "Norfolk Island": "NF", "North Korea": "KP",
  "Norway": "NO", "Oman": "OM", "Pakistan": "PK", "Palau": "PW", "Palestine": "PS",
  "Panama": "PA", "Papua New Guinea": "PG", "Paraguay": "PY", "Peru": "PE",
  "Philippines": "PH", "Pitcairn Is.": "PN", "Poland": "PL", "Portugal": "PT",
  "Puerto Rico": "PR", "Qatar": "QA", "Romania": "RO", "Russia": "RU", "Rwanda": "RW",
  "S. Geo. and the Is.": "GS", "S. Sudan": "SS", "Saint Helena": "SH",
  "Saint Lucia": "LC", "Samoa": "WS", "San Marino": "SM", "Saudi Arabia": "SA",
  "Senegal": "SN", "Serbia": "RS", "Seychelles": "SC", "Sierra Leone": "SL",
  "Singapore": "SG", "Sint Maarten": "SX", "Slovakia": "SK", "Slovenia": "SI",
  "Solomon Is.": "SB", "Somalia": "SO", "Somaliland": "SO", "South Africa": "ZA",
  "South Korea": "KR", "Spain": "ES", "Sri Lanka": "LK", "St-Barth\u00e9lemy": "BL",
  "St-Martin": "MF", "St. Kitts and Nevis": "KN", "St. Pierre and Miquelon": "PM",
  "St. Vin. and Gren.": "VC", "Sudan": "SD", "Suriname": "SR", "Sweden": "SE",
  "Switzerland": "CH", "Syria": "SY", "S\u00e3o Tom\u00e9 and Principe": "ST",
  "Taiwan": "TW", "Tajikistan": "TJ", "Tanzania": "TZ", "Thailand": "TH",
  "Timor-Leste": "TL", "Togo": "TG", "Tonga": "TO", "Trinidad and Tobago": "TT",
  "Tunisia": "TN", "Turkey": "TR", "Turkmenistan": "TM", "Turks and Caicos Is.": "TC",
  "U.S. Virgin Is.": "VI", "Uganda": "UG", "Ukraine": "UA", "United Arab Emirates": "AE",
  "United Kingdom": "GB", "United States of America": "US", "Uruguay": "UY",
  "Uzbekistan": "UZ", "Vanuatu": "VU", "Vatican": "VA", "Venezuela": "VE",
  "Vietnam": "VN", "W. Sahara": "EH", "Wallis and Futuna Is.": "WF", "Yemen": "YE",
  "Zambia": "ZM", "Zimbabwe": "ZW", "eSwatini": "SZ", "\u00c5land": "AX"
};

// A shape's code: its own iso_a2 where a world file has one, else by name.
function countriesCodeOf(feature) {
  var properties = feature.properties || {};
  if (/^[A-Z]{2}$/.test(properties.iso_a2 || "")) {
    return properties.iso_a2;
  }
  return countriesCodeOfName[properties.name] || null;
}

function countriesClassOf(occurrences) {
  var index = 0;
  while (index < countries.classes.length && occurrences >= countries.classes[index]) {
    index++;
  }
  return index;
}

function countriesStyle(feature) {
  var occurrences = feature.properties.occurrences;
  if (!occurrences) {
    return { stroke: false, fill: false };
  }
  // Every option named each time: setStyle keeps what it is not told.
  return {
    stroke: true, fill: true, color: "#7f2704", weight: 0.5, opacity: 0.6,
    fillColor: countries.colours[countriesClassOf(occurrences)], fillOpacity: 0.7
  };
}

function countriesTooltip(layer) {
  var p = layer.feature.properties;
  return (p.name || p.iso_a2) + " (" + p.iso_a2 + "): " + p.addresses + " addresses, " +
    p.occurrences + " occurrences";
}

// Puts the current numbers into every shape's properties and restyles.
function countriesApply() {
  countries.codesWithShape = {};
  countriesLayer.eachLayer(function (layer) {
    var properties = layer.feature.properties;
    var line = properties.iso_a2 ? countries.lines[properties.iso_a2] : null;
    properties.addresses = line ? line[1] : 0;
    properties.occurrences = line ? line[2] : 0;
    if (properties.iso_a2) {
      countries.codesWithShape[properties.iso_a2] = true;
    }
    layer.setStyle(countriesStyle(layer.feature));
    if (!properties.occurrences) {
      layer.unbindTooltip();
    } else if (layer.getTooltip()) {
      layer.setTooltipContent(countriesTooltip(layer));
    } else {
      layer.bindTooltip(countriesTooltip(layer), { sticky: true });
    }
  });
  countriesDrawLegend();
}

function countriesRange(index) {
  var low = index === 0 ? 1 : countries.classes[index - 1];
  if (index === countries.classes.length) {
    return low + " or more";
  }
  var high = countries.classes[index] - 1;
  return low === high ? String(low) : low + "\u2013" + high;
}

// The legend: the classes, then every code of the results without a shape.
function countriesDrawLegend() {
  var box = countries.legend && countries.legend.getContainer();
  if (!box) {
    return;
  }
  box.textContent = "";
  var codes = Object.keys(countries.lines);
  box.style.display = codes.length ? "" : "none";
  var title = L.DomUtil.create("div", "countries-title", box);
  title.textContent = "Occurrences per country";
  countries.colours.forEach(function (colour, index) {
    var row = L.DomUtil.create("div", "countries-class", box);
    var swatch = L.DomUtil.create("span", "countries-swatch", row);
    swatch.style.background = colour;
    row.appendChild(document.createTextNode(countriesRange(index)));
  });
  var missing = codes.filter(function (code) {
    return !countries.codesWithShape[code];
  }).sort(function (a, b) {
    return countries.lines[b][2] - countries.lines[a][2];
  });
  if (countries.shapesDone && missing.length) {
    var note = L.DomUtil.create("div", "countries-missing", box);
    note.textContent = "Not on the map:";
    missing.forEach(function (code) {
      var line = countries.lines[code];
      var item = L.DomUtil.create("div", "countries-missing-code", box);
      item.textContent = (code || "--") + (line[0] ? " " + line[0] : "") + ": " + line[1] +
        " addresses, " + line[2] + " occurrences";
    });
  }
}

function countriesMakeLayer(shapes) {
  var layer = L.geoJSON(shapes, {
    // Drawn on a canvas: the shapes are many and detailed.
    renderer: countries.renderer || (countries.renderer = L.canvas()),
    style: countriesStyle,
    onEachFeature: function (feature) {
      var name = (feature.properties || {}).name;
      feature.properties = {
        name: name, iso_a2: countriesCodeOf(feature), addresses: 0, occurrences: 0
      };
    }
  });
  var shown = countriesLayer && map.hasLayer(countriesLayer);
  if (countriesLayer) {
    countries.switcher.removeLayer(countriesLayer);
    countriesLayer.remove();
  }
  countriesLayer = layer;
  countries.switcher.addOverlay(countriesLayer, "Countries by occurrences");
  if (shown) {
    countriesLayer.addTo(map);
  }
  countriesApply();
}

function countriesSetUp() {
  if (countriesLayer) {
    return;
  }
  countries.switcher = L.control.layers(null, null, { collapsed: false, position: "topright" });
  countries.switcher.addTo(map);
  countries.legend = L.control({ position: "bottomright" });
  countries.legend.onAdd = function () {
    return L.DomUtil.create("div", "countries-legend");
  };
  countries.legend.addTo(map);
  // Empty until the first numbers come: the shapes are read only then, so
  // a map that never shades costs nothing at start.
  countriesMakeLayer({ type: "FeatureCollection", features: [] });
}

function countriesLoadShapes() {
  if (countries.shapesRequested) {
    return;
  }
  countries.shapesRequested = true;
  openMapGetJson("/map/world.geojson", function (shapes) {
    countries.shapesDone = true;
    try {
      countriesMakeLayer(shapes);
    } catch (error) {
      countriesMakeLayer({ type: "FeatureCollection", features: [] });
    }
    mapTimes.countriesShapes = openMapNow();
  }, function () {
    countries.shapesDone = true;
    countriesApply();
    mapTimes.countriesShapes = openMapNow();
  });
}

// lines: [[code, name, addresses, occurrences], ...], the whole table.
// The layer is shown with it; the user's switch hides it again.
function countriesShow(lines) {
  countriesSetUp();
  countries.lines = {};
  lines.forEach(function (line) {
    countries.lines[line[0]] = [line[1], line[2], line[3]];
  });
  if (lines.length) {
    countriesLoadShapes();
  }
  countriesApply();
  if (lines.length && !map.hasLayer(countriesLayer)) {
    countriesLayer.addTo(map);
  }
  mapTimes.countriesShown = openMapNow();
}

function countriesClear() {
  countriesSetUp();
  countries.lines = {};
  countriesApply();
}
