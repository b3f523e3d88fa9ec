#pragma once

#include "ToolBarTables.h"

class Handlers;
class QToolBar;
class QWidget;

// Makes tool bars and their controls from the tables: each control named, captioned,
// hinted, sized and bound to its handler.
QToolBar* buildToolBar(const ToolBarLayout& layout, const Handlers& handlers, QWidget* parent);

// One control that is not a separator; `height` 0 leaves its height to the style.
QWidget* buildControl(const ControlRow& row, int height, const Handlers& handlers, QWidget* parent);
