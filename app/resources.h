#pragma once

// Registers the compiled resource set (QML documents, icons, translations).
// Safe to call more than once.
void initVandraResources();
