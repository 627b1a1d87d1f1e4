// Converts the Natural Earth land polygons of the npm package world-atlas
// (land-50m.json, TopoJSON) into the world outline compiled into zelk: every
// ring of every land polygon, simplified with topojson-simplify, as points in
// hundredths of a degree. Run through make-world-outline.sh, which installs
// the pinned packages; the output is committed, so zelk needs neither this
// script nor any data file at run time.
// Usage: node make-world-outline.mjs OUTPUT_FILE
import fs from 'node:fs';
import {createRequire} from 'node:module';
import {feature} from 'topojson-client';
import {presimplify, quantile, simplify} from 'topojson-simplify';

const require = createRequire(import.meta.url);
const source = 'world-atlas/land-50m.json';
const atlasVersion = require('world-atlas/package.json').version;
// Keeps the quarter of the points that matter most to the shape; at report
// scale (a map some 18 cm wide) the coast still looks as drawn.
const keptShare = 0.25;
// Rings smaller than this (square degrees) are specks no map here shows.
const smallestArea = 0.02;

const topology = presimplify(JSON.parse(fs.readFileSync(require.resolve(source), 'utf8')));
const land = feature(simplify(topology, quantile(topology, keptShare)), topology.objects.land);

function area(ring) {
    let sum = 0;
    for (let i = 1; i < ring.length; ++i) {
        sum += ring[i - 1][0] * ring[i][1] - ring[i][0] * ring[i - 1][1];
    }
    return Math.abs(sum) / 2;
}

// Rings that cross the date line jump from +180 to -180 and back; drawn as
// they are, they would smear bands across the map. Each is made continuous
// (longitudes beyond 180 east where it crosses), or, when it winds round a
// pole (Antarctica), closed along that pole; see Copies for the rest.
const jumps = (ring) =>
    ring.slice(1).map((p, i) => Math.abs(p[0] - ring[i][0]) > 180 ? i + 1 : -1).filter((i) => i > 0);

function Continuous(ring) {
    const crossings = jumps(ring);
    if (crossings.length % 2 === 1) {
        // Winds round a pole: start it at its crossing, so it runs from one
        // side of the date line to the other, and close it along the pole.
        const open = ring.slice(0, -1);
        const start = crossings[0] % open.length;
        const turned = [...open.slice(start), ...open.slice(0, start)];
        const pole = turned.reduce((sum, p) => sum + p[1], 0) < 0 ? -90 : 90;
        const first = turned[0];
        const last = turned[turned.length - 1];
        return [...turned, [last[0], pole], [first[0], pole], first];
    }
    const points = [[...ring[0]]];
    let shift = 0;
    for (let i = 1; i < ring.length; ++i) {
        const step = ring[i][0] - ring[i - 1][0];
        shift += step > 180 ? -360 : step < -180 ? 360 : 0;
        points.push([ring[i][0] + shift, ring[i][1]]);
    }
    const west = Math.min(...points.map((p) => p[0]));
    const turn = west < -180 ? 360 : west >= 180 ? -360 : 0;
    return points.map(([lon, lat]) => [lon + turn, lat]);
}

// The part of a ring on one side of a meridian (Sutherland-Hodgman).
function ClipAt(ring, meridian, keepEast) {
    const inside = (p) => keepEast ? p[0] >= meridian : p[0] <= meridian;
    const crossing = (a, b) => [meridian, a[1] + (b[1] - a[1]) * (meridian - a[0]) / (b[0] - a[0])];
    const out = [];
    for (let i = 0; i < ring.length; ++i) {
        const current = ring[i];
        const previous = ring[(i + ring.length - 1) % ring.length];
        if (inside(current)) {
            if (!inside(previous)) {
                out.push(crossing(previous, current));
            }
            out.push(current);
        } else if (inside(previous)) {
            out.push(crossing(previous, current));
        }
    }
    return out;
}

// The ring, and where it reaches past 180 degrees east that part again on
// the west side, each cut to the globe.
function Copies(ring) {
    const copies = [ClipAt(ring, 180, false)];
    if (Math.max(...ring.map((p) => p[0])) > 180) {
        copies.push(ClipAt(ring.map(([lon, lat]) => [lon - 360, lat]), -180, true));
    }
    return copies.filter((copy) => copy.length >= 3);
}

const hundredths = (degrees) => Math.round(degrees * 100);
const rings = [];
for (const f of land.features ?? [land]) {
    const polygons = f.geometry.type === 'Polygon' ? [f.geometry.coordinates] : f.geometry.coordinates;
    for (const polygon of polygons) {
        for (const ring of polygon) {
            if (area(ring) < smallestArea) {
                continue;
            }
            for (const copy of Copies(Continuous(ring))) {
                const points = [];
                for (const [lon, lat] of copy) {
                    const point = [hundredths(lon), hundredths(lat)];
                    if (Math.abs(point[0]) > 32767) {
                        throw new Error(`longitude ${lon} does not fit the outline's 16 bits`);
                    }
                    const last = points[points.length - 1];
                    if (!last || last[0] !== point[0] || last[1] !== point[1]) {
                        points.push(point);
                    }
                }
                if (points.length >= 4) {
                    rings.push(points);
                }
            }
        }
    }
}

const pointCount = rings.reduce((n, ring) => n + ring.length, 0);
const lines = [
    '// Generated by scripts/world-outline/make-world-outline.sh; do not edit.',
    `// Natural Earth 1:50m land polygons (public domain), from the npm package`,
    `// world-atlas ${atlasVersion} (land-50m.json, ISC), ${keptShare * 100} % of the points kept by`,
    `// topojson-simplify, rings under ${smallestArea} square degrees left out:`,
    `// ${rings.length} rings, ${pointCount} points, longitude and latitude in hundredths of a degree.`,
    'constexpr OutlinePoint kWorldOutlinePoints[] = {',
];
let line = '';
for (const ring of rings) {
    for (const [lon, lat] of ring) {
        const item = `{${lon},${lat}},`;
        if (line.length + item.length > 96) {
            lines.push(line);
            line = '';
        }
        line += item;
    }
}
lines.push(line, '};', 'constexpr uint32_t kWorldOutlineRingEnds[] = {');
line = '';
let end = 0;
for (const ring of rings) {
    end += ring.length;
    const item = `${end},`;
    if (line.length + item.length > 96) {
        lines.push(line);
        line = '';
    }
    line += item;
}
lines.push(line, '};', '');
fs.writeFileSync(process.argv[2], lines.join('\n'));
console.log(`${process.argv[2]}: ${rings.length} rings, ${pointCount} points`);
