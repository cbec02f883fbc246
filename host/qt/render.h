// Off-screen screenshots of widgets (documentation and visual checks).
#pragma once

#include <QString>

class QWidget;

// Lays the widget out (its size as it is, or its size hint when it has never
// been sized), renders it with its children and writes a PNG to path.
// Returns false when the file could not be written.
bool RenderToPng(QWidget* widget, const QString& path);
