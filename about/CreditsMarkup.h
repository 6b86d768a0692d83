#pragma once
// The credits mark-up: a tag runs from a "<" to the first ">" after it. The
// words "b", "/b", "i", "/i", "font" and "/font" change the style of the text
// from the tag's place to the end; every tag is deleted from the text.
// Kept apart from any window so that it can be exercised on a model field.
#include <cmath>
#include <cstdint>
#include <optional>

#include "framework/String.h"

struct MarkupTag {
    int32_t start = 0;  // place of the "<", counted from 0
    int32_t length = 0; // characters from the "<" to the ">", both included
    String text;        // what lies between the two
};

// The first tag of the text; nothing when the text has no "<", or no ">" after its first "<".
std::optional<MarkupTag> FirstMarkupTag(const String& text);
// The tag text up to its first space: empty when it begins with one.
String MarkupTagWord(const String& tagText);
// The size of a font tag: its first quoted part read as a number, 0 when there is none.
int32_t MarkupFontSize(const String& tagText);
// A point size as the whole number the mark-up keeps: rounded, 0 for no number at all.
int32_t MarkupWholeSize(double points);

// Puts text into the field and, with parseMarkup, turns its tags into styles.
// Field offers the text field's Text, selection and styled-selection operations.
template <class Field>
void SetMarkupText(Field& field, const String& text, bool parseMarkup)
{
    field.SetText(text);
    if (!parseMarkup) return;

    int32_t savedSize = 0;
    int32_t previousLength = INT32_MAX;
    for (;;) {
        const String current = field.Text();
        // Every pass deletes a tag; a field that refused the deletion would otherwise loop for ever.
        if (Len(current) >= previousLength) break;
        previousLength = Len(current);
        // A "<" with no ">" after it is left as text, and so is the rest.
        const auto tag = FirstMarkupTag(current);
        if (!tag) break;

        field.SetSelStart(tag->start);
        field.SetSelLength(tag->length);
        field.SetSelText(String());
        field.SetSelStart(tag->start);
        field.SetSelLength(Len(field.Text()) - tag->start);

        const String word = MarkupTagWord(tag->text);
        if (word == String("b")) {
            field.SetSelBold(true);
        } else if (word == String("/b")) {
            field.SetSelBold(false);
        } else if (word == String("i")) {
            field.SetSelItalic(true);
        } else if (word == String("/i")) {
            field.SetSelItalic(false);
        } else if (word == String("font")) {
            const int32_t size = MarkupFontSize(tag->text);
            savedSize = MarkupWholeSize(field.SelTextSize());
            field.SetSelTextSize(size);
        } else if (word == String("/font")) {
            field.SetSelTextSize(savedSize);
        }
    }
    field.SetScrollPosition(0);
    field.SetSelStart(-1);
    field.SetSelLength(0);
}
