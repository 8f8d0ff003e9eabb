// The Tx table model keeps exactly the words the host wrote, at each map's table addresses.

#include "sim/TxTables.h"

#include "WireHelpers.h"

using sim::RegisterMap;
using sim::TxTables;

namespace {

class TxTableTest : public wire::ModelTest {
protected:
    void Make(RegisterMap map) {
        tables_ = std::make_unique<TxTables>(*tester_, map);
        tester_->Start();
    }
    std::unique_ptr<TxTables> tables_;
};

TEST_F(TxTableTest, EntryWordsLieFourBytesApart) {
    Make(RegisterMap::First);
    Exchange(wire::SequentialWrite(0x42200000 + 16 * 5, {1, 2, 3, 4}));
    EXPECT_EQ(tables_->Word(0x42200054), 2u) << "D1 at + 4";
    EXPECT_EQ(tables_->Word(0x4220005C), 4u);
    EXPECT_FALSE(tables_->Word(0x42200051).has_value());
    EXPECT_EQ(tables_->Descriptor(0, 6), (std::array<uint32_t, 4>{})) << "the next entry untouched";
}

TEST_F(TxTableTest, FirstMapKeepsEntryWordsAtItsAddresses) {
    Make(RegisterMap::First);
    Exchange(wire::SequentialWrite(0x42200000 + 16 * 5, {1, 2, 3, 4}));
    Exchange(wire::SequentialWrite(0x44200400 + 8 * 63, {5, 6}));
    Exchange(wire::SequentialWrite(0x42200800 + 16 * 5, {7, 8, 9, 10}));
    Exchange(wire::SequentialWrite(0x70000000 + 0x4000 * 2, {0xAABBCCDD, 0x11223344}));
    EXPECT_EQ(tables_->Descriptor(0, 5), (std::array<uint32_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(tables_->Extension(1, 63), (std::array<uint32_t, 2>{5, 6}));
    EXPECT_EQ(tables_->Modifiers(0, 5), (std::array<uint32_t, 4>{7, 8, 9, 10}));
    EXPECT_EQ(tables_->Payload(1, 2), (std::vector<uint32_t>{0xAABBCCDD, 0x11223344}));
    EXPECT_TRUE(tables_->Payload(0, 2).empty());
    EXPECT_EQ(tables_->Words().size(), 12u);
}

TEST_F(TxTableTest, SecondMapKeepsEntryWordsAtItsAddresses) {
    Make(RegisterMap::Second);
    Exchange(wire::SequentialWrite(0x42300000 + 8 * 1, {5, 6}));
    Exchange(wire::SequentialWrite(0x42100000 + 16 * 63, {7, 8, 0, 0}));
    std::vector<uint32_t> payload(250, 0x5A5A5A5A);
    Exchange(wire::SequentialWrite(0x44000000 + 2048 * 63, payload));
    EXPECT_EQ(tables_->Extension(0, 1), (std::array<uint32_t, 2>{5, 6}));
    EXPECT_EQ(tables_->Modifiers(0, 63), (std::array<uint32_t, 4>{7, 8, 0, 0}));
    EXPECT_EQ(tables_->Payload(1, 63).size(), 250u);
    EXPECT_FALSE(tables_->Word(0x42200400).has_value()) << "the first map's extension table is not here";
}

}  // namespace
