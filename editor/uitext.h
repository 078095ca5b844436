// Marks a text of the editor core that the window shows in the user's language. The core stays free
// of Qt and hands the text on as it stands; the window looks it up in the translation context
// "editor" (lupdate reads the mark as QT_TRANSLATE_NOOP).
#pragma once

#define MLB8_TRANSLATE_NOOP(context, text) text
