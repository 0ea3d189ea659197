#pragma once

// Fills the main frame's table of screen constructors, one per screen kind.

void RegisterScreens();
