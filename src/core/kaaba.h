#pragma once
// The Kaaba picture of the main window, and the program's uniform random numbers.
#include <QString>
#include <cstdint>

class FileListBox;
class Image;

// The Kaaba pictures built into the program, numbered 1..kBuiltInKabaaPictures.
constexpr std::int16_t kBuiltInKabaaPictures = 33;

// A whole number from iLower to iUpper, each with the same chance, drawn from the runtime's
// generator (seeded once at start-up). iLower when the count iUpper - iLower + 1 does not fit
// in 16 bits.
std::int16_t Random(std::int16_t iLower, std::int16_t iUpper);

// Shows the Kaaba picture the settings ask for in the main window: a random built-in picture
// (image type 0), built-in picture iImage (1), the user's picture file (2) or a random picture
// file of the user's folder (3). Whatever fails ends in a random built-in picture.
void RefreshKabaaImage(std::int16_t iImage);

// The picture files the program shows, wherever it lists or offers them: the folder mode,
// the main window's random pick and the picture dialog.
inline constexpr char kPictureFilePatterns[] = "*.bmp;*.gif;*.jpg;*.jpeg;*.png";

// Puts a random picture file (kPictureFilePatterns) of sFolder into img, or a random built-in
// picture when the folder is blank, missing or holds none, or the file cannot be loaded.
void PickRandomImageFromFolder(const QString& sFolder, Image& img);

// Puts built-in picture iImage (1..kBuiltInKabaaPictures) into img; false (img unchanged) when
// there is no such picture or no main window to take it from.
bool ShowBuiltInKabaa(Image& img, std::int16_t iImage);

// The file list box the folder listings go through: the main window's hidden flbMain, or one
// of this module's own while there is no main window (the start-up sound plays before it).
FileListBox& FolderLister();

// The last position of the list as a 16-bit number (a list longer than that is drawn from its
// first 32768 names).
std::int16_t LastListIndex(const FileListBox& lister);

// Text with leading and trailing blanks removed.
QString TrimBlanks(const QString& s);
