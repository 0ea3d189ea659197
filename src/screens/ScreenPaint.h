#pragma once

// What every screen paints until it has its own skin: the status line of the main frame.

class Window;

void PaintStatusLine(Window& screen);
