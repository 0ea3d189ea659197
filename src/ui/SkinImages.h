#pragma once

// The skin's images, decoded once per process and shared by every screen that shows them: a
// screen that opens again, or another screen with the same picture, takes the decoded one. A file
// that cannot be read is null.

#include "platform/core/Types.h"
#include "platform/draw/Bitmap.h"
#include "platform/draw/Image.h"

#include <memory>

// A background, by the full path of its file.
std::shared_ptr<const Image> SkinBackground(const WString& path);
// A button strip, icon or gauge (a bitmap file), by its name under the images folder.
std::shared_ptr<const Bitmap> SkinStrip(const WString& name);

// Decodes, ahead of use, the skin of the main view and of the screens a call opens (the incoming
// and outgoing screens and their keypad): about 3 MB held from then on. Images of an earlier
// start that nothing holds any more are let go first.
void PreloadSkin();
// Before another skin is made current: where the strips lie is worked out again, and images
// nothing holds are let go.
void ForgetSkinImages();
