#pragma once

// The document of the single-document frame; this program keeps no document data in it.

class Document {
public:
    virtual ~Document() = default;
};
