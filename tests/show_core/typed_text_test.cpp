// The number edits' typed-character rules and a text typed through them as one change:
// the change against a plain model of an edit, each rule's cases, the text that brought
// the program down, a long mixed text, and the line a one-line edit's paste takes.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "typed_text.h"

namespace {

// The text: digits and a point among Hebrew, Thai, Arabic (a date separator, then
// digits carrying a fathatan), mathematical, Coptic, Canadian and Braille characters.
const std::wstring kCrashText =
    L"3\u05A9037e\u0E0F012\u060D69\u064B86\u2A81\u2CFC.8\u15215\u292A5\u16623\u28D9";

std::wstring TypedInto(const std::wstring& start, size_t selStart, size_t selEnd,
                       const std::wstring& typed, TypedCharRule takes) {
    CTypedText text(start, selStart, selEnd);
    TypeThrough(text, typed, takes);
    return text.Text();
}

// An edit as plainly as it can be put: the whole text, the selection, one step a key.
struct PlainEdit {
    std::wstring text;
    size_t start;
    size_t end;
    void Type(wchar_t c) {
        if (c == 8) {
            if (start == end && start > 0) --start;
            text.erase(start, end - start);
        } else {
            text.replace(start, end - start, 1, c);
            ++start;
        }
        end = start;
    }
};

TEST(TypedTextTest, TypingReplacesTheSelectionAndABackspaceDeletes) {
    CTypedText text(L"12345", 1, 3);
    EXPECT_EQ(text.SelStart(), 1u);
    EXPECT_EQ(text.SelEnd(), 3u);
    EXPECT_FALSE(text.Changed());
    text.Type(L'x');
    EXPECT_EQ(text.Text(), L"1x45");
    EXPECT_EQ(text.SelStart(), 2u);
    EXPECT_EQ(text.SelEnd(), 2u);
    // Backspaces reach before where the selection started.
    text.Type(8);
    text.Type(8);
    EXPECT_EQ(text.Text(), L"45");
    text.Type(8);  // nothing left before the caret
    EXPECT_EQ(text.Text(), L"45");
    EXPECT_EQ(text.ChangeFrom(), 0u);
    EXPECT_EQ(text.ChangeTo(), 3u);
    EXPECT_EQ(text.ChangeText(), L"");

    // A backspace with a selection removes it alone.
    CTypedText selected(L"abcd", 3, 1);  // either order
    selected.Type(8);
    EXPECT_EQ(selected.Text(), L"ad");
    EXPECT_TRUE(selected.Changed());
    // A backspace in front changes nothing; a selection past the end is the end.
    CTypedText front(L"ab", 0, 0);
    front.Type(8);
    EXPECT_FALSE(front.Changed());
    CTypedText beyond(L"ab", 7, 9);
    beyond.Type(L'c');
    EXPECT_EQ(beyond.Text(), L"abc");

    EXPECT_TRUE(CTypedText(L"a.b", 1, 2).Contains(L'.'));  // selected counts
    EXPECT_FALSE(CTypedText(L"ab", 0, 2).Contains(L'.'));
    EXPECT_EQ(CTypedText(L"-1", 0, 0).First(), L'-');
    EXPECT_EQ(CTypedText(L"-1", 0, 2).First(), L'-');
    EXPECT_EQ(CTypedText(L"", 0, 0).First(), L'\0');
}

TEST(TypedTextTest, EverythingTypedIsOneReplacementOfTheStartingText) {
    std::mt19937 random(20);
    const std::wstring alphabet = L"ab.-\b\b";
    for (int round = 0; round < 2000; ++round) {
        std::wstring start;
        for (int n = random() % 8; n > 0; --n) start += alphabet[random() % 3];
        const size_t a = random() % (start.size() + 1);
        const size_t b = random() % (start.size() + 1);
        PlainEdit plain{start, std::min(a, b), std::max(a, b)};
        CTypedText text(start, a, b);
        for (int n = random() % 10; n > 0; --n) {
            const wchar_t c = alphabet[random() % alphabet.size()];
            plain.Type(c);
            text.Type(c);
            ASSERT_EQ(text.Text(), plain.text) << round;
            ASSERT_EQ(text.SelStart(), plain.start) << round;
            ASSERT_EQ(text.SelEnd(), plain.end) << round;
        }
        if (text.Changed()) {
            std::wstring replaced = start;
            replaced.replace(text.ChangeFrom(), text.ChangeTo() - text.ChangeFrom(),
                             text.ChangeText());
            EXPECT_EQ(replaced, plain.text) << round;
        } else {
            EXPECT_EQ(plain.text, start) << round;
        }
    }
}

TEST(TypedCharRuleTest, FloatEditTakesDigitsBackspaceAndOnePoint) {
    const CTypedText plain(L"12", 2, 2);
    for (const wchar_t c : std::wstring(L"0123456789\b."))
        EXPECT_TRUE(FloatEditTakes(c, plain)) << c;
    for (const wchar_t c : std::wstring(L"-+eE ,\t\r\n\x01\x16\x1a\u0661\uFF11\u064B"))
        EXPECT_FALSE(FloatEditTakes(c, plain)) << int(c);
    // A point anywhere, selected or not, refuses another.
    EXPECT_FALSE(FloatEditTakes(L'.', CTypedText(L"1.2", 0, 0)));
    EXPECT_FALSE(FloatEditTakes(L'.', CTypedText(L"1.2", 1, 2)));
    EXPECT_TRUE(FloatEditTakes(L'5', CTypedText(L"1.2", 1, 2)));
}

TEST(TypedCharRuleTest, LongEditTakesAMinusOnlyInFront) {
    for (const wchar_t c : std::wstring(L"0123456789\b"))
        EXPECT_TRUE(LongEditTakes(c, {L"", 0, 0}));
    for (const wchar_t c : std::wstring(L"+.e ,\t\x01\x16\u0661\u2212"))
        EXPECT_FALSE(LongEditTakes(c, {L"", 0, 0})) << int(c);
    EXPECT_TRUE(LongEditTakes(L'-', {L"", 0, 0}));
    EXPECT_TRUE(LongEditTakes(L'-', {L"12", 0, 0}));   // caret before the 1
    EXPECT_FALSE(LongEditTakes(L'-', {L"12", 2, 2}));  // caret at the end
    EXPECT_FALSE(LongEditTakes(L'-', {L"12", 1, 1}));
    EXPECT_TRUE(LongEditTakes(L'-', {L"34", 0, 1}));  // a selection from the front
    EXPECT_FALSE(LongEditTakes(L'-', {L"34", 1, 2}));
    // With a sign in front only a selection from the front may be replaced by one.
    EXPECT_FALSE(LongEditTakes(L'-', {L"-12", 0, 0}));
    EXPECT_FALSE(LongEditTakes(L'-', {L"-12", 3, 3}));
    EXPECT_FALSE(LongEditTakes(L'-', {L"-12", 1, 3}));
    EXPECT_TRUE(LongEditTakes(L'-', {L"-12", 0, 1}));
    EXPECT_TRUE(LongEditTakes(L'-', {L"-12", 0, 3}));
    // A minus further on does not count as the sign.
    EXPECT_TRUE(LongEditTakes(L'-', {L"1-2", 0, 0}));
}

TEST(TypedCharRuleTest, DigitsEditTakesAsciiDigitsAndBackspace) {
    for (const wchar_t c : std::wstring(L"0123456789\b"))
        EXPECT_TRUE(DigitsEditTakes(c, {L"", 0, 0}));
    for (const wchar_t c : std::wstring(L"-+.e /:\x16\u0660\u0669\u06F1\uFF10\u00B2"))
        EXPECT_FALSE(DigitsEditTakes(c, {L"", 0, 0})) << int(c);
}

TEST(TypeThroughTest, TextsAreTypedAsTheirCharactersOneByOne) {
    EXPECT_EQ(TypedInto(L"", 0, 0, kCrashText, FloatEditTakes), L"30370126986.8553");
    EXPECT_EQ(TypedInto(L"", 0, 0, kCrashText, LongEditTakes), L"303701269868553");
    EXPECT_EQ(TypedInto(L"", 0, 0, kCrashText, DigitsEditTakes), L"303701269868553");
    // Good numbers pass whole.
    EXPECT_EQ(TypedInto(L"0.1", 0, 3, L"12.5", FloatEditTakes), L"12.5");
    EXPECT_EQ(TypedInto(L"100", 0, 3, L"-300", LongEditTakes), L"-300");
    EXPECT_EQ(TypedInto(L"100", 0, 0, L"-300", LongEditTakes), L"-300100");
    EXPECT_EQ(TypedInto(L"2000", 0, 4, L"4000", DigitsEditTakes), L"4000");
    // Each character meets the text the ones before it left.
    EXPECT_EQ(TypedInto(L"100", 3, 3, L"-300", LongEditTakes), L"100300");
    EXPECT_EQ(TypedInto(L"", 0, 0, L"--3-", LongEditTakes), L"-3");
    EXPECT_EQ(TypedInto(L"0.5", 3, 3, L"1.2", FloatEditTakes), L"0.512");
    EXPECT_EQ(TypedInto(L"", 0, 0, L"1.2.3", FloatEditTakes), L"1.23");
    EXPECT_EQ(TypedInto(L"", 0, 0, L"1.\b2.3", FloatEditTakes), L"12.3");
    EXPECT_EQ(TypedInto(L"7", 1, 1, L"\b\b-8", LongEditTakes), L"-8");
    // Nothing let through: no change at all.
    CTypedText refused(L"12", 0, 2);
    TypeThrough(refused, L"abc\u064B", DigitsEditTakes);
    EXPECT_FALSE(refused.Changed());
    EXPECT_EQ(refused.SelEnd(), 2u);
}

TEST(TypeThroughTest, ALongMixedTextKeepsItsDigitsInOrderAndTheFirstPoint) {
    // 10,000 characters, a tenth digits, the rest points, signs, letters and marks.
    const std::wstring junk = L".-a\u064B\u060D\u05A9+ e\u28D9\t";
    std::wstring text;
    std::wstring digits;
    std::mt19937 random(10000);
    while (text.size() < 10000) {
        if (random() % 10 == 0) {
            const wchar_t d = static_cast<wchar_t>(L'0' + random() % 10);
            text += d;
            digits += d;
        } else {
            text += junk[random() % junk.size()];
        }
    }
    ASSERT_GT(digits.size(), 800u);
    EXPECT_EQ(TypedInto(L"", 0, 0, text, DigitsEditTakes), digits);
    EXPECT_EQ(TypedInto(L"", 0, 0, text, LongEditTakes),
              (text.find(L'-') < text.find_first_of(L"0123456789") ? L"-" : L"") + digits);
    // The float edit: the digits with a point where the first one came.
    const size_t point = text.find(L'.');
    size_t before = 0;
    for (size_t i = 0; i < point; ++i) before += text[i] >= L'0' && text[i] <= L'9';
    EXPECT_EQ(TypedInto(L"", 0, 0, text, FloatEditTakes),
              digits.substr(0, before) + L"." + digits.substr(before));
}

TEST(PastedLineTest, AOneLineEditTakesTheTextUpToItsFirstLineFeed) {
    EXPECT_EQ(PastedLine(L"12\r\n34"), L"12");
    EXPECT_EQ(PastedLine(L"12\n34\n"), L"12");
    EXPECT_EQ(PastedLine(L"12\r\r\n34"), L"12\r");
    EXPECT_EQ(PastedLine(L"12\r34"), L"12\r34");
    EXPECT_EQ(PastedLine(L"\n12"), L"");
    EXPECT_EQ(PastedLine(L"1234"), L"1234");
    EXPECT_EQ(PastedLine(L""), L"");
}

}  // namespace
