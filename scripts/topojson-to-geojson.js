#!/usr/bin/env node
// SPDX-License-Identifier: GPL-3.0-or-later
// Converts the country shapes of a world-atlas TopoJSON file into a
// GeoJSON FeatureCollection the open map draws directly: every arc decoded
// (delta-encoded, quantized), rings joined, coordinates rounded to four
// decimals (about 10 m, far finer than the shapes themselves), each
// country keeping only its name.
//
// Usage: topojson-to-geojson.js IN.json OUT.geojson
'use strict';
const fs = require('fs');

function fail(message) {
  process.stderr.write(`topojson-to-geojson: ${message}\n`);
  process.exit(1);
}

const [input, output] = process.argv.slice(2);
if (!input || !output) fail('usage: topojson-to-geojson.js IN.json OUT.geojson');

let topology;
try {
  topology = JSON.parse(fs.readFileSync(input, 'utf8'));
} catch (error) {
  fail(`cannot read ${input}: ${error.message}`);
}
const countries = topology && topology.objects && topology.objects.countries;
if (topology.type !== 'Topology' || !Array.isArray(topology.arcs) || !countries ||
    !Array.isArray(countries.geometries)) {
  fail(`${input} holds no TopoJSON country shapes`);
}

const round = (v) => Math.round(v * 1e4) / 1e4;
const transform = topology.transform;
const arcs = topology.arcs.map((arc) => {
  let x = 0, y = 0;
  return arc.map(([dx, dy]) => {
    if (!transform) return [round(dx), round(dy)];
    x += dx;
    y += dy;
    return [round(x * transform.scale[0] + transform.translate[0]),
            round(y * transform.scale[1] + transform.translate[1])];
  });
});

// Shapes that cross the 180th meridian are cut there and jump from +180 to
// -180 inside a ring; drawn on a flat map such a jump is a line across the
// whole world. Each ring is made continuous instead (longitudes may then
// go a little past 180), so it draws as one piece on its side of the map.
// A ring around a pole (Antarctica) spans every longitude anyway: its jump
// runs along the pole, outside the map, and it stays as it is.
function unwrap(points) {
  let offset = 0;
  const continuous = points.map(([lon, lat], i) => {
    if (i > 0) {
      const previous = points[i - 1][0];
      if (lon - previous > 180) offset -= 360;
      else if (previous - lon > 180) offset += 360;
    }
    return [round(lon + offset), lat];
  });
  const lons = continuous.map(([lon]) => lon);
  const west = Math.min(...lons), east = Math.max(...lons);
  if (east - west >= 359) return points;
  const shift = west >= 180 ? -360 : east <= -180 ? 360 : 0;
  return shift ? continuous.map(([lon, lat]) => [round(lon + shift), lat]) : continuous;
}

function ring(indexes) {
  const points = [];
  for (const index of indexes) {
    const arc = index >= 0 ? arcs[index] : (arcs[~index] || []).slice().reverse();
    if (!arcs[index < 0 ? ~index : index]) fail(`arc ${index} does not exist`);
    points.push(...(points.length ? arc.slice(1) : arc));
  }
  return unwrap(points);
}

const features = [];
for (const geometry of countries.geometries) {
  let coordinates;
  if (geometry.type === 'Polygon') coordinates = geometry.arcs.map(ring);
  else if (geometry.type === 'MultiPolygon') coordinates = geometry.arcs.map((p) => p.map(ring));
  else continue;
  features.push({
    type: 'Feature',
    properties: { name: String((geometry.properties || {}).name || '') },
    geometry: { type: geometry.type, coordinates },
  });
}
if (features.length === 0) fail(`${input} holds no country shapes`);

const temporary = `${output}.tmp${process.pid}`;
try {
  fs.writeFileSync(temporary, JSON.stringify({ type: 'FeatureCollection', features }));
  fs.renameSync(temporary, output);
} catch (error) {
  try { fs.unlinkSync(temporary); } catch (_) { /* nothing left to remove */ }
  fail(`cannot write ${output}: ${error.message}`);
}
