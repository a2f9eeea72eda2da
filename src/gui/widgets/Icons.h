#pragma once

#include <QIcon>

// The program's own images, compiled into its resources (data/icons/). They stand in for
// the style's standard icons, whose lookup in the desktop's icon theme and decoding of
// Qt's large built-in images cost a third of the start-up.
enum class AppIcon { New, Open, Save, About, Close, Ok, Cancel, Clear, Window };

QIcon LoadIcon(AppIcon icon);
