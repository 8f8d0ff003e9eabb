#include <framework/Framework.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

class CAnimal : public CObject {
    DECLARE_DYNAMIC(CAnimal)
};
IMPLEMENT_DYNAMIC(CAnimal, CObject)

class CDog : public CAnimal {
    DECLARE_DYNCREATE(CDog)
public:
    int legs = 4;
};
IMPLEMENT_DYNCREATE(CDog, CAnimal)

TEST(RuntimeClass, KindFollowsTheBaseChain) {
    CDog dog;
    EXPECT_TRUE(dog.IsKindOf(RUNTIME_CLASS(CDog)));
    EXPECT_TRUE(dog.IsKindOf(RUNTIME_CLASS(CAnimal)));
    EXPECT_TRUE(dog.IsKindOf(RUNTIME_CLASS(CObject)));
    CAnimal animal;
    EXPECT_FALSE(animal.IsKindOf(RUNTIME_CLASS(CDog)));
    EXPECT_EQ(nullptr, DYNAMIC_DOWNCAST(CDog, static_cast<CObject*>(&animal)));
    EXPECT_EQ(&dog, DYNAMIC_DOWNCAST(CDog, static_cast<CObject*>(&dog)));
    EXPECT_STREQ("CDog", dog.GetRuntimeClass()->m_lpszClassName);
}

TEST(RuntimeClass, OnlyCreatableClassesAreCreatedByName) {
    std::unique_ptr<CObject> created(CRuntimeClass::CreateObject(L"CDog"));
    ASSERT_NE(nullptr, created);
    EXPECT_TRUE(created->IsKindOf(RUNTIME_CLASS(CDog)));
    EXPECT_EQ(4, static_cast<CDog*>(created.get())->legs);
    EXPECT_EQ(nullptr, CRuntimeClass::CreateObject("CAnimal"));
    EXPECT_EQ(nullptr, CRuntimeClass::FromName("CNoSuchClass"));
}

TEST(Geometry, RectangleArithmetic) {
    CRect r(10, 20, 110, 70);
    EXPECT_EQ(100, r.Width());
    EXPECT_EQ(CPoint(60, 45), r.CenterPoint());
    r.TopLeft() += CSize(5, 5);
    EXPECT_EQ(CRect(15, 25, 110, 70), r);
    CRect both = CRect(0, 0, 50, 50) & CRect(25, 25, 100, 100);
    EXPECT_EQ(CRect(25, 25, 50, 50), both);
    EXPECT_TRUE((CRect(0, 0, 5, 5) & CRect(10, 10, 20, 20)).IsRectEmpty());
    CRect flipped(10, 10, 0, 0);
    flipped.NormalizeRect();
    EXPECT_EQ(CRect(0, 0, 10, 10), flipped);
    EXPECT_EQ(CPoint(-3, 7), CPoint(MAKELPARAM(-3, 7)));
}

}  // namespace
