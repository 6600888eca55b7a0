// Serial EEPROM behind CNTRL, against the simulated bridge's EEPROM (fast sleeps).
#include "pci_support.h"

namespace {

using vornsim::Eeprom;

class EepromTest : public PciTest {
protected:
    void OpenWith(Eeprom eeprom, bool bridgeAsIo = true) {
        vornsim::Profile profile = bridgeAsIo ? AllIo() : vornsim::DefaultProfile(1);
        profile.cards[0].eeprom = eeprom;
        PciTest::OpenWith(profile);
    }
    static long Sleeps() { return vornsim::GetCounters().sleeps; }
    static bool AnyWrite() {
        const auto transfers = RequestsWithCode(WD_IOCTL_TRANSFER);
        return std::any_of(transfers.begin(), transfers.end(), [](const vornsim::Request& r) {
            return r.command >= WD_WP_BYTE && r.command <= WD_WP_DWORD;
        });
    }
};

// Both kinds of bridge window; offset 6 is EEPROM address 3. Exactly 105 sleeps per word
// read and 240 per word write.
TEST_F(EepromTest, RoundTripsAtBothEndsAndInBetween) {
    for (const bool bridgeAsIo : {true, false}) {
        for (const uint32_t offset : {0u, 6u, 126u}) {
            SCOPED_TRACE(::testing::Message() << "io " << bridgeAsIo << " offset " << offset);
            OpenWith(Eeprom::Present, bridgeAsIo);
            const uint16_t value = static_cast<uint16_t>(0xA55A ^ offset);
            char msg[140] = {};
            long before = Sleeps();
            ASSERT_EQ(P9050_EEPROMWriteWord(m_hPlx, offset, value, msg), 1) << msg;
            EXPECT_STREQ(msg, "No Error\n");
            EXPECT_EQ(Sleeps() - before, 240);
            EXPECT_EQ(vornsim::EepromWord(0, offset / 2), value);

            vornsim::SetEepromWord(0, offset / 2, 0x1357);
            uint16_t word = 0;
            before = Sleeps();
            EXPECT_EQ(P9050_EEPROMReadWord(m_hPlx, offset, &word), 1);
            EXPECT_EQ(Sleeps() - before, 105);
            EXPECT_EQ(word, 0x1357);

            // Double words: high word first, at the offset rounded down to 4.
            const uint32_t at = offset & ~3u;
            ASSERT_EQ(P9050_EEPROMWriteDword(m_hPlx, at, 0x89ABCDEF, msg), 1) << msg;
            EXPECT_EQ(vornsim::EepromWord(0, at / 2), 0x89AB);
            EXPECT_EQ(vornsim::EepromWord(0, at / 2 + 1), 0xCDEF);
            vornsim::SetEepromWord(0, at / 2 + 1, 0x0304);
            uint32_t dword = 0;
            EXPECT_EQ(P9050_EEPROMReadDword(m_hPlx, at, &dword, msg), 1);
            EXPECT_STREQ(msg, "No Error\n");
            EXPECT_EQ(dword, 0x89AB0304u);
            Close();
        }
    }
}

TEST_F(EepromTest, WriteIgnoredByTheEepromReportsBothValues) {
    OpenWith(Eeprom::IgnoresWrites);
    for (int i = 3; i <= 5; ++i) vornsim::SetEepromWord(0, i, 0xFFFF);
    char msg[140] = {};
    EXPECT_EQ(P9050_EEPROMWriteWord(m_hPlx, 6, 0x1234, msg), 0);
    EXPECT_STREQ(msg, "Write 0x1234, Read 0xffff\n");
    // A double word stops at its first failing half.
    const long before = Sleeps();
    EXPECT_EQ(P9050_EEPROMWriteDword(m_hPlx, 8, 0x12345678, msg), 0);
    EXPECT_STREQ(msg, "Write 0x1234, Read 0xffff\n");
    EXPECT_EQ(Sleeps() - before, 240);
    EXPECT_EQ(P9050_EEPROMWriteWord(m_hPlx, 0, 0x1234, nullptr), 0);
}

// Offsets past the 64 words, double words off a multiple of 4, and an absent EEPROM:
// refused with their line, nothing clocked or stored, reads give 0. Asking whether the
// EEPROM is present writes nothing either.
TEST_F(EepromTest, RefusedAccessesClockNothing) {
    const char* const kRange = "The offset is out of range\n";
    const char* const kAbsent = "EEPROM not present\n";
    const struct {
        Eeprom eeprom;
        uint32_t wordOffset, dwordOffset;
        const char *wordMsg, *dwordMsg;
    } cases[] = {{Eeprom::Present, 128, 128, kRange, kRange},
                 {Eeprom::Present, 0xFFFFFFFE, 3, kRange, "The offset is not a multiple of 4\n"},
                 {Eeprom::Present, 127, 126, kRange, "The offset is not a multiple of 4\n"},
                 {Eeprom::Absent, 0, 0, kAbsent, kAbsent}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.wordOffset << " " << c.dwordOffset);
        OpenWith(c.eeprom);
        for (int i = 0; i < 64; ++i)
            vornsim::SetEepromWord(0, i, static_cast<uint16_t>(0x4000 + i));
        const long before = Sleeps();
        EXPECT_EQ(P9050_EEPROMIsPresent(m_hPlx), c.eeprom == Eeprom::Present ? 1 : 0);
        uint16_t word = 0x5555;
        EXPECT_EQ(P9050_EEPROMReadWord(m_hPlx, c.wordOffset, &word), 0);
        EXPECT_EQ(word, 0);
        char msg[140] = {};
        EXPECT_EQ(P9050_EEPROMWriteWord(m_hPlx, c.wordOffset, 0xBEEF, msg), 0);
        EXPECT_STREQ(msg, c.wordMsg);
        uint32_t dword = 0x55555555;
        EXPECT_EQ(P9050_EEPROMReadDword(m_hPlx, c.dwordOffset, &dword, msg), 0);
        EXPECT_STREQ(msg, c.dwordMsg);
        EXPECT_EQ(dword, 0u);
        EXPECT_EQ(P9050_EEPROMWriteDword(m_hPlx, c.dwordOffset, 0xBEEFBEEF, msg), 0);
        EXPECT_STREQ(msg, c.dwordMsg);
        EXPECT_EQ(Sleeps(), before);
        EXPECT_FALSE(AnyWrite());
        for (int i = 0; i < 64; ++i) EXPECT_EQ(vornsim::EepromWord(0, i), 0x4000 + i) << i;
        Close();
    }
}

}  // namespace
