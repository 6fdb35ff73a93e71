#pragma once
// A length of n pixels at 96 dots per inch on the screen in use, so that
// pixel layouts grow with the fonts on dense screens.
int ScaleToScreen(int n);
