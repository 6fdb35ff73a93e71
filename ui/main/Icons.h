#pragma once
// The program's own images, by the image index the actions and lists use.

#include <QIcon>

enum TImageIndex : int {
  iiInformation = 0,  // rows of the rate list
  iiLoadProfile = 1,
  iiSaveProfile = 2,
  iiFilter = 3,
  iiOptions = 4,
  iiStart = 5,
  iiStop = 6,
  iiPreset3G = 7,
  iiPresetEdge = 8,
  iiPresetWiFi = 9,
};
constexpr int kImageCount = 10;

// The image drawn from its embedded vector image; sharp at every size.
QIcon ProgramIcon(int imageIndex);
