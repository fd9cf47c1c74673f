// The built-in country list, used when the place file can't be read, and the calculation
// method each country defaults to. A country's position is the same in both, in the place file
// and in the stored CountryIndex.
#include "frmPrayerSettings.h"

namespace {

const QString kCountryNames[frmPrayerSettings::kCountryCount] = {
    QStringLiteral("Afghanistan"), QStringLiteral("Albania"), QStringLiteral("Algeria"),
    QStringLiteral("Andorra"), QStringLiteral("Angola"), QStringLiteral("Anguilla"),
    QStringLiteral("Antarctica"), QStringLiteral("Antigua Barbuda"), QStringLiteral("Argentina"),
    QStringLiteral("Armenia"), QStringLiteral("Aruba"), QStringLiteral("Ashmore Cartier Islands"),
    QStringLiteral("Australia"), QStringLiteral("Austria"), QStringLiteral("Azerbaijan"),
    QStringLiteral("Bahamas"), QStringLiteral("Bahrain"), QStringLiteral("Bangladesh"),
    QStringLiteral("Barbados"), QStringLiteral("Bassas De India"), QStringLiteral("Belarus"),
    QStringLiteral("Belgium"), QStringLiteral("Belize"), QStringLiteral("Benin"),
    QStringLiteral("Bermuda"), QStringLiteral("Bhutan"), QStringLiteral("Bolivia"),
    QStringLiteral("Bosnia Herzegovina"), QStringLiteral("Botswana"),
    QStringLiteral("Bouvet Island"), QStringLiteral("Brazil"),
    QStringLiteral("British Indian Ocean Territory"), QStringLiteral("British Virgin Islands"),
    QStringLiteral("Brunei Darussalam"), QStringLiteral("Bulgaria"),
    QStringLiteral("Burkina Faso"), QStringLiteral("Burma"), QStringLiteral("Burundi"),
    QStringLiteral("Cambodia"), QStringLiteral("Cameroon"), QStringLiteral("Canada"),
    QStringLiteral("Cape Verde"), QStringLiteral("Cayman Islands"),
    QStringLiteral("Central African Republic"), QStringLiteral("Chad"), QStringLiteral("Chile"),
    QStringLiteral("China"), QStringLiteral("Christmas Island"),
    QStringLiteral("Clipperton Island"), QStringLiteral("Cocos Islands"),
    QStringLiteral("Colombia"), QStringLiteral("Comoros"), QStringLiteral("Congo"),
    QStringLiteral("Congo Democratic Republic"), QStringLiteral("Cook Islands"),
    QStringLiteral("Coral Sea Islands"), QStringLiteral("Costa Rica"),
    QStringLiteral("Cote Dlvoire"), QStringLiteral("Croatia"), QStringLiteral("Cuba"),
    QStringLiteral("Cyprus"), QStringLiteral("Czech Republic"), QStringLiteral("Denmark"),
    QStringLiteral("Djibouti"), QStringLiteral("Dominica"), QStringLiteral("Dominican Republic"),
    QStringLiteral("East Timor"), QStringLiteral("Ecuador"), QStringLiteral("Egypt"),
    QStringLiteral("El Salvador"), QStringLiteral("Equatorial Guinea"), QStringLiteral("Eritrea"),
    QStringLiteral("Estonia"), QStringLiteral("Ethiopia"), QStringLiteral("Europa Island"),
    QStringLiteral("Falkland Islands Malvinas"), QStringLiteral("Faroe Islands"),
    QStringLiteral("Fiji"), QStringLiteral("Finland"), QStringLiteral("France"),
    QStringLiteral("French Guiana"), QStringLiteral("French Polynesia"),
    QStringLiteral("French Southern Antarctic Lands"), QStringLiteral("Gabon"),
    QStringLiteral("Gambia"), QStringLiteral("Georgia"), QStringLiteral("Germany"),
    QStringLiteral("Ghana"), QStringLiteral("Gibraltar"), QStringLiteral("Glorioso Islands"),
    QStringLiteral("Greece"), QStringLiteral("Greenland"), QStringLiteral("Grenada"),
    QStringLiteral("Guadeloupe"), QStringLiteral("Guam"), QStringLiteral("Guatemala"),
    QStringLiteral("Guernsey"), QStringLiteral("Guinea"), QStringLiteral("Guinea Bissau"),
    QStringLiteral("Guyana"), QStringLiteral("Haiti"),
    QStringLiteral("Heard Island Mcdonald Islands"), QStringLiteral("Honduras"),
    QStringLiteral("Hong Kong"), QStringLiteral("Hungary"), QStringLiteral("Iceland"),
    QStringLiteral("India"), QStringLiteral("Indonesia"), QStringLiteral("Iran"),
    QStringLiteral("Iraq"), QStringLiteral("Ireland"), QStringLiteral("Isle Of Man"),
    QStringLiteral("Italy"), QStringLiteral("Jamaica"), QStringLiteral("Jan Mayen"),
    QStringLiteral("Japan"), QStringLiteral("Jersey"), QStringLiteral("Jordan"),
    QStringLiteral("Juan De Nova Island"), QStringLiteral("Kazakstan"), QStringLiteral("Kenya"),
    QStringLiteral("Kiribati"), QStringLiteral("Kuwait"), QStringLiteral("Kyrgyzstan"),
    QStringLiteral("Lao Peoples Democratic Republic"), QStringLiteral("Latvia"),
    QStringLiteral("Lebanon"), QStringLiteral("Lesotho"), QStringLiteral("Liberia"),
    QStringLiteral("Libya"), QStringLiteral("Liechtenstein"), QStringLiteral("Lithuania"),
    QStringLiteral("Luxembourg"), QStringLiteral("Macau"), QStringLiteral("Macedonia"),
    QStringLiteral("Madagascar"), QStringLiteral("Malawi"), QStringLiteral("Malaysia"),
    QStringLiteral("Maldives"), QStringLiteral("Mali"), QStringLiteral("Malta"),
    QStringLiteral("Marshall Islands"), QStringLiteral("Martinique"), QStringLiteral("Mauritania"),
    QStringLiteral("Mauritius"), QStringLiteral("Mayotte"), QStringLiteral("Mexico"),
    QStringLiteral("Micronesia"), QStringLiteral("Moldova"), QStringLiteral("Monaco"),
    QStringLiteral("Mongolia"), QStringLiteral("Montserrat"), QStringLiteral("Morocco"),
    QStringLiteral("Mozambique"), QStringLiteral("Namibia"), QStringLiteral("Nauru"),
    QStringLiteral("Nepal"), QStringLiteral("Netherlands"), QStringLiteral("Netherlands Antilles"),
    QStringLiteral("New Caledonia"), QStringLiteral("New Zealand"), QStringLiteral("Nicaragua"),
    QStringLiteral("Niger"), QStringLiteral("Nigeria"), QStringLiteral("Niue"),
    QStringLiteral("No Mans Land"), QStringLiteral("Norfolk Island"),
    QStringLiteral("North Korea"), QStringLiteral("Norway"), QStringLiteral("Oceans"),
    QStringLiteral("Oman"), QStringLiteral("Pakistan"), QStringLiteral("Palau"),
    QStringLiteral("Palestine"), QStringLiteral("Panama"), QStringLiteral("Papua New Guinea"),
    QStringLiteral("Paracel Islands"), QStringLiteral("Paraguay"), QStringLiteral("Peru"),
    QStringLiteral("Philippines"), QStringLiteral("Pitcairn Islands"), QStringLiteral("Poland"),
    QStringLiteral("Portugal"), QStringLiteral("Puerto Rico"), QStringLiteral("Qatar"),
    QStringLiteral("Reunion"), QStringLiteral("Romania"), QStringLiteral("Russia"),
    QStringLiteral("Rwanda"), QStringLiteral("Saint Helena"), QStringLiteral("Saint Kitts Nevis"),
    QStringLiteral("Saint Lucia"), QStringLiteral("Saint Pierre Miquelon"),
    QStringLiteral("Saint Vincent Grenadines"), QStringLiteral("Samoa"),
    QStringLiteral("San Marino"), QStringLiteral("Sao Tome And Principe"),
    QStringLiteral("Saudi Arabia"), QStringLiteral("Senegal"), QStringLiteral("Seychelles"),
    QStringLiteral("Sierra Leone"), QStringLiteral("Singapore"), QStringLiteral("Slovakia"),
    QStringLiteral("Slovenia"), QStringLiteral("Solomon Islands"), QStringLiteral("Somalia"),
    QStringLiteral("South Africa"), QStringLiteral("South Georgia The South Sandwitch Islands"),
    QStringLiteral("South Korea"), QStringLiteral("Spain"), QStringLiteral("Spratly Islands"),
    QStringLiteral("Sri Lanka"), QStringLiteral("Sudan"), QStringLiteral("Suriname"),
    QStringLiteral("Svalbard And Jan Mayen"), QStringLiteral("Swaziland"),
    QStringLiteral("Sweden"), QStringLiteral("Switzerland"), QStringLiteral("Syria"),
    QStringLiteral("Taiwan"), QStringLiteral("Tajikistan"), QStringLiteral("Tanzania"),
    QStringLiteral("Thailand"), QStringLiteral("Togo"), QStringLiteral("Tokelau"),
    QStringLiteral("Tonga"), QStringLiteral("Trinidad Tobago"), QStringLiteral("Tromelin Island"),
    QStringLiteral("Tunisia"), QStringLiteral("Turkey"), QStringLiteral("Turkmenistan"),
    QStringLiteral("Turks Caicos Islands"), QStringLiteral("Tuvalu"), QStringLiteral("Uganda"),
    QStringLiteral("Ukraine"), QStringLiteral("Under Sea Features"),
    QStringLiteral("United Arab Emirates"), QStringLiteral("United Kingdom"),
    QStringLiteral("United States of America"), QStringLiteral("Uruguay"),
    QStringLiteral("Us Virgin Islands"), QStringLiteral("Uzbekistan"), QStringLiteral("Vanuatu"),
    QStringLiteral("Vatican City"), QStringLiteral("Venezuela"), QStringLiteral("Viet Nam"),
    QStringLiteral("Wallis Futuna"), QStringLiteral("West Bank"), QStringLiteral("Yemen"),
    QStringLiteral("Yugoslavia"), QStringLiteral("Zambia"), QStringLiteral("Zimbabwe"),
};

} // namespace

void frmPrayerSettings::LoadCountryNames() {
    for (int i = 0; i < kCountryCount; ++i)
        Countries[i] = kCountryNames[i];
}

void frmPrayerSettings::FillDefaultMethods() {
    DefaultMethod.fill(0);
    for (int i = 0; i < kCountryCount; ++i)
        DefaultMethod[i] = 5; // Muslim World League
    // Karachi with the Hanafi Asr (3) or the standard one (2), Egyptian (1), ISNA (4) and
    // Umm Al-Qura (6), by position. Juan De Nova Island (118) takes the world league's like
    // every other territory without a convention of its own.
    const std::pair<int, std::uint8_t> exceptions[] = {
        {0, 3},   {16, 6},  {17, 3},  {40, 4},  {68, 1},  {106, 3}, {107, 1},
        {108, 2}, {109, 1}, {117, 1}, {122, 2}, {126, 1}, {137, 1}, {170, 6},
        {171, 2}, {184, 6}, {197, 6}, {201, 1}, {237, 4}, {238, 4}, {248, 6}};
    for (const auto& [position, method] : exceptions)
        DefaultMethod[position] = method;
}
