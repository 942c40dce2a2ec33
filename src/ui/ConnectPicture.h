#pragma once
// The picture ConnectButton shows while connected: the word "Разъединить" (its caption then)
// in black, in the default GUI font, on a light-red field.

// The field's colour and where the word's top-left corner stands.
constexpr int kPictureRed = 255;
constexpr int kPictureGreen = 138;
constexpr int kPictureBlue = 138;
constexpr int kPictureTextX = 10;
constexpr int kPictureTextY = 5;

void BuildConnectedPicture();
void ShowConnectionState(bool connected);
