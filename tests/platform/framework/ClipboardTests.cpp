// The clipboard pair: what a data source puts on the clipboard, a data object reads back.
#include <framework/Framework.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

HGLOBAL Block(const void* data, size_t size) {
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    std::memcpy(::GlobalLock(block), data, size);
    ::GlobalUnlock(block);
    return block;
}

TEST(Clipboard, DataSourceOffersEveryFormatToTheDataObject) {
    const CLIPFORMAT binary = static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(L"FrameworkTests.Binary"));
    const unsigned char bytes[] = {3, 0, 0, 0, 0xDE, 0xAD, 0xBE};
    auto* source = new COleDataSource;
    source->CacheGlobalData(binary, Block(bytes, sizeof bytes));
    source->CacheGlobalData(CF_TEXT, Block("DE AD BE\n", 10));
    source->SetClipboard();

    COleDataObject object;
    ASSERT_TRUE(object.AttachClipboard());
    EXPECT_TRUE(object.IsDataAvailable(binary));
    EXPECT_TRUE(object.IsDataAvailable(CF_TEXT));
    HGLOBAL copy = object.GetGlobalData(binary);
    ASSERT_NE(nullptr, copy);
    ASSERT_GE(::GlobalSize(copy), sizeof bytes);
    EXPECT_EQ(0, std::memcmp(::GlobalLock(copy), bytes, sizeof bytes));
    ::GlobalUnlock(copy);
    ::GlobalFree(copy);
    EXPECT_EQ(nullptr, object.GetGlobalData(CF_BITMAP));
}

}  // namespace
