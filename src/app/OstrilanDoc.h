#pragma once

// The document of the single-document frame: it carries no data.

#include "platform/controls/Document.h"

class COstrilanDoc : public Document { };
