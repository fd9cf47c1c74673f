#!/usr/bin/env node
// Writes tests/prayerlib/data/reference.csv: prayer times and Qiblah bearings computed from the
// astronomy-engine ephemeris (VSOP87-based Sun, topocentric altitudes), independently of the
// library. Run once after `npm ci` in this folder:  node make_reference.js
//
// Event definitions, the same as the library's:
//   Dhuhr    the Sun's hour angle is 0 (the transit nearest 12:00 local clock time);
//   Shurooq, Maghrib  the upper limb at the horizon with 34' of refraction (astronomy-engine's
//            rise/set convention; the library's refraction at 1010 mb and 10 C), sea level;
//   Fajr, Ishaa, Imsaak  the Sun's centre at the twilight angle below the horizon (no refraction);
//   Asr      the Sun's centre at the altitude where a stick's shadow is factor x height plus its
//            noon shadow, the noon shadow from the declination at the transit;
//   intervals  Fajr = Shurooq - FajrInterval, Ishaa = Maghrib + IshaaInterval, Imsaak = Fajr -
//            ImsaakInterval (minutes).
// Morning events are searched between the previous lower culmination and the transit, evening
// events between the transit and the next lower culmination.
// Extreme latitudes: a slot whose event does not occur takes its time from the nearest day (back
// 1, forward 1, back 2, ... up to 183 days) on which Fajr, Shurooq, Maghrib and Ishaa and the
// slot itself occur, keeping its distance from that day's transit; a borrowed Imsaak keeps that
// day's lead over Fajr.
// Qiblah: the initial great-circle course, from 3-D unit vectors (the component of the Kaaba's
// vector perpendicular to the place's, projected on the local north and east directions),
// written counter-clockwise from north (west positive).
'use strict';

const fs = require('fs');
const path = require('path');
const A = require('astronomy-engine');

const KAABA = { lat: 21.4225, lon: 39.8262 };
const HALF_YEAR = 183;
const MIN_RATE = 0.006; // degrees per minute; slower crossings make a case ill-conditioned

// name, latitude, longitude, hours from GMT
const PLACES = [
    ['Oslo', 59.9139, 10.7522, 1], ['Stockholm', 59.3293, 18.0686, 1],
    ['Saint Petersburg', 59.9343, 30.3351, 3], ['Edinburgh', 55.9533, -3.1883, 0],
    ['London', 51.5074, -0.1278, 0], ['Berlin', 52.52, 13.405, 1], ['Paris', 48.8566, 2.3522, 1],
    ['Istanbul', 41.0082, 28.9784, 3], ['New York', 40.7128, -74.006, -5],
    ['Chicago', 41.8781, -87.6298, -6], ['Los Angeles', 34.0522, -118.2437, -8],
    ['Vancouver', 49.2827, -123.1207, -8], ['Juneau', 58.3019, -134.4197, -9],
    ['Cairo', 30.0444, 31.2357, 2], ['Makkah', 21.4225, 39.8262, 3],
    ['Karachi', 24.8607, 67.0011, 5], ['Dhaka', 23.8103, 90.4125, 6],
    ['Kuala Lumpur', 3.139, 101.6869, 8], ['Jakarta', -6.2088, 106.8456, 7],
    ['Singapore', 1.3521, 103.8198, 8], ['Lagos', 6.5244, 3.3792, 1],
    ['Nairobi', -1.2921, 36.8219, 3], ['Johannesburg', -26.2041, 28.0473, 2],
    ['Cape Town', -33.9249, 18.4241, 2], ['Sydney', -33.8688, 151.2093, 10],
    ['Auckland', -36.8485, 174.7633, 12], ['Buenos Aires', -34.6037, -58.3816, -3],
    ['Santiago', -33.4489, -70.6693, -4], ['Ushuaia', -54.8019, -68.303, -3],
    ['Stanley', -51.6977, -57.8517, -3], ['Honolulu', 21.3069, -157.8583, -10],
    ['Kiritimati', 1.87, -157.43, 14], ['Tehran', 35.6892, 51.389, 3.5],
    ['Delhi', 28.6139, 77.209, 5.5], ['Kathmandu', 27.7172, 85.324, 5.75],
    ['Sixty North', 60.0, 25.0, 2], ['Sixty South', -60.0, -45.0, -3],
];

// Deterministic pseudo-random numbers, so that the table can be made again identically.
let seed = 20240611;
function rand() {
    seed = (seed * 1103515245 + 12345) % 2147483648;
    return seed / 2147483648;
}
function pick(n) { return Math.floor(rand() * n); }

function conventions(c, method) {
    const conv = {
        fajrAngle: 0, ishaaAngle: 0, fajrInterval: 0, ishaaInterval: 0, ishaaByInterval: false,
        imsaakInterval: c.imsaakInterval, asrFactor: c.asr,
    };
    const fixed = { 1: [19.5, 17.5], 2: [18, 18], 3: [18, 18], 4: [15, 15], 5: [18, 17] };
    if (method === 0 || method === 7) {
        conv.fajrAngle = c.fajrAngle;
        conv.ishaaAngle = c.ishaaAngle;
        conv.fajrInterval = c.fajrInterval;
        conv.ishaaInterval = c.ishaaInterval;
        conv.ishaaByInterval = method === 7 || c.ishaaInterval !== 0;
    } else if (method === 6) {
        conv.fajrAngle = 18.5;
        conv.ishaaInterval = 90;
        conv.ishaaByInterval = true;
    } else {
        [conv.fajrAngle, conv.ishaaAngle] = fixed[method];
    }
    conv.imsaakAngle = conv.fajrAngle + c.imsaakAngle;
    return conv;
}

function dayStart(y, m, d) { return A.MakeTime(new Date(Date.UTC(y, m - 1, d))); }

// The seven events of the day (AstroTime.ut values, null when absent).
function dayEvents(t0, place, conv) {
    const obs = new A.Observer(place.lat, place.lon, 0);
    const k = Math.round(place.lon / 360 - place.zone / 24);
    const approx = t0.AddDays(0.5 - place.lon / 360 + k);
    const transit = A.SearchHourAngle(A.Body.Sun, obs, 0, approx.AddDays(-0.5)).time;
    const lowerBefore = A.SearchHourAngle(A.Body.Sun, obs, 12, transit.AddDays(-1)).time;
    const lowerAfter = A.SearchHourAngle(A.Body.Sun, obs, 12, transit).time;
    const morningSpan = transit.ut - lowerBefore.ut;
    const eveningSpan = lowerAfter.ut - transit.ut;
    const ut = (t) => (t ? t.ut : null);
    const morning = (alt) => check(ut(A.SearchAltitude(A.Body.Sun, obs, +1, lowerBefore, morningSpan, alt)));
    const evening = (alt) => check(ut(A.SearchAltitude(A.Body.Sun, obs, -1, transit, eveningSpan, alt)));

    const ev = new Array(7).fill(null);
    // The Sun's altitude rate at each found crossing, degrees per minute: near a lower
    // culmination the Sun hardly moves in altitude, and a few arcseconds of ephemeris difference
    // shift the instant by a minute or more. Such a day is no test of accuracy.
    let illConditioned = false;
    const altitude = (u) => {
        const t = A.MakeTime(u);
        const eq = A.Equator(A.Body.Sun, t, obs, true, true);
        return A.Horizon(t, obs, eq.ra, eq.dec).altitude;
    };
    const check = (u) => {
        if (u !== null && Math.abs(altitude(u + 30 / 86400) - altitude(u - 30 / 86400)) < MIN_RATE)
            illConditioned = true;
        return u;
    };
    ev[3] = transit.ut;
    ev[2] = check(ut(A.SearchRiseSet(A.Body.Sun, obs, +1, lowerBefore, morningSpan)));
    ev[5] = check(ut(A.SearchRiseSet(A.Body.Sun, obs, -1, transit, eveningSpan)));
    if (conv.fajrInterval !== 0)
        ev[1] = ev[2] === null ? null : ev[2] - conv.fajrInterval / 1440;
    else
        ev[1] = morning(-conv.fajrAngle);
    if (conv.ishaaByInterval)
        ev[6] = ev[5] === null ? null : ev[5] + conv.ishaaInterval / 1440;
    else
        ev[6] = evening(-conv.ishaaAngle);
    if (conv.imsaakInterval !== 0)
        ev[0] = ev[1] === null ? null : ev[1] - conv.imsaakInterval / 1440;
    else
        ev[0] = morning(-conv.imsaakAngle);
    const dec = A.Equator(A.Body.Sun, transit, obs, true, true).dec;
    const z = Math.abs(place.lat - dec);
    if (z < 90) {
        const asrAlt = Math.atan(1 / (conv.asrFactor + Math.tan(z * Math.PI / 180))) * 180 / Math.PI;
        ev[4] = evening(asrAlt);
    }
    ev.illConditioned = illConditioned;
    return ev;
}

function good(ev) { return ev[1] !== null && ev[2] !== null && ev[5] !== null && ev[6] !== null; }

// Local seconds of the day (with the day's 0h UT as origin) for each slot, and the borrowed flags.
function prayerTimes(y, m, d, place, conv) {
    const t0 = dayStart(y, m, d);
    const ev = dayEvents(t0, place, conv);
    const sec = ev.map((u) => (u === null ? null : (u - t0.ut) * 86400));
    const extreme = new Array(7).fill(0);
    let missing = sec.filter((s) => s === null).length;
    let illConditioned = ev.illConditioned;
    for (let k = 1; k <= HALF_YEAR && missing > 0; ++k) {
        for (const dir of [-1, +1]) {
            if (missing === 0)
                break;
            const o0 = t0.AddDays(dir * k);
            const o = dayEvents(o0, place, conv);
            if (!good(o))
                continue;
            for (let s = 0; s < 7; ++s) {
                if (sec[s] === null && o[s] !== null) {
                    illConditioned = illConditioned || o.illConditioned;
                    sec[s] = s === 0 ? (o[0] - o[1]) * 86400 : (o[s] - o[3] + ev[3] - t0.ut) * 86400;
                    extreme[s] = 1;
                    --missing;
                }
            }
        }
    }
    if (extreme[0])
        sec[0] = sec[1] === null ? null : sec[0] + sec[1];
    const zone = place.zone * 3600;
    const local = sec.map((s) => (s === null ? -1 : (((s + zone) % 86400) + 86400) % 86400));
    return { local, extreme, illConditioned };
}

function qiblah(lat, lon) {
    const r = Math.PI / 180;
    const vec = (p, l) => [Math.cos(p * r) * Math.cos(l * r), Math.cos(p * r) * Math.sin(l * r), Math.sin(p * r)];
    const P = vec(lat, lon);
    const K = vec(KAABA.lat, KAABA.lon);
    const dot = P[0] * K[0] + P[1] * K[1] + P[2] * K[2];
    const dvec = [K[0] - dot * P[0], K[1] - dot * P[1], K[2] - dot * P[2]];
    const east = [-Math.sin(lon * r), Math.cos(lon * r), 0];
    const north = [-Math.sin(lat * r) * Math.cos(lon * r), -Math.sin(lat * r) * Math.sin(lon * r), Math.cos(lat * r)];
    const e = dvec[0] * east[0] + dvec[1] * east[1] + dvec[2] * east[2];
    const n = dvec[0] * north[0] + dvec[1] * north[1] + dvec[2] * north[2];
    if (Math.hypot(e, n) < 1e-12)
        return 0;
    let q = -Math.atan2(e, n) / r;
    if (q <= -180)
        q += 360;
    return q;
}

function main() {
    const rows = ['place,lat,lon,gmt,dst,year,month,day,method,asr,fajr_angle,ishaa_angle,' +
                  'imsaak_angle,fajr_interval,ishaa_interval,imsaak_interval,' +
                  's0,s1,s2,s3,s4,s5,s6,extreme,qiblah'];
    const CASES = 240;
    for (let i = 0; i < CASES; ++i) {
        const [name, lat, lon, gmt] = PLACES[pick(PLACES.length)];
        const month = (i % 12) + 1;
        const method = (Math.floor(i / 12) + i) % 8;
        const asr = 1 + (Math.floor(i / 3) % 2);
        const dst = rand() < 0.3 ? 1 : 0;
        const c = {
            fajrAngle: 0, ishaaAngle: 0, imsaakAngle: [1.5, 1.5, 1.0, 2.0][pick(4)],
            fajrInterval: 0, ishaaInterval: 0, imsaakInterval: rand() < 0.2 ? 10 : 0, asr,
        };
        if (method === 0 || method === 7) {
            c.fajrAngle = 12 + 0.5 * pick(17);
            if (method === 0) {
                c.ishaaAngle = 12 + 0.5 * pick(17);
                if (rand() < 0.15)
                    c.fajrInterval = 60 + 5 * pick(13);
                if (rand() < 0.15)
                    c.ishaaInterval = 60 + 5 * pick(13);
            } else {
                c.ishaaInterval = 30 + 5 * pick(31);
            }
        }
        const place = { lat, lon, zone: gmt + dst };
        // Draw dates until the day is well-conditioned (see dayEvents).
        let year, day, result;
        for (let tries = 0; tries < 50; ++tries) {
            year = 1995 + pick(51);
            day = 1 + pick(28);
            result = prayerTimes(year, month, day, place, conventions(c, method));
            if (!result.illConditioned)
                break;
        }
        const { local, extreme } = result;
        rows.push([JSON.stringify(name), lat, lon, gmt, dst, year, month, day, method, asr,
                   c.fajrAngle, c.ishaaAngle, c.imsaakAngle, c.fajrInterval, c.ishaaInterval,
                   c.imsaakInterval, ...local.map((s) => (s < 0 ? -1 : s.toFixed(1))),
                   extreme.join(''), qiblah(lat, lon).toFixed(5)].join(','));
    }
    const out = path.join(__dirname, '..', '..', 'tests', 'prayerlib', 'data', 'reference.csv');
    fs.mkdirSync(path.dirname(out), { recursive: true });
    fs.writeFileSync(out, rows.join('\n') + '\n');
    console.log(`wrote ${CASES} cases to ${out}`);
}

main();
