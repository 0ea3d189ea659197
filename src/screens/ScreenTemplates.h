#pragma once

// Registers the dialog templates of the main view and the seven screens.

void RegisterScreenTemplates();
