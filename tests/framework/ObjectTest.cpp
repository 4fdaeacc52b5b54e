#include <gtest/gtest.h>

#include "framework/FrameWnd.h"
#include "framework/Object.h"

namespace {

class CShape : public CObject {
 public:
  LUMAVEX_RUNTIME_CLASS
};
class CCircle : public CShape {
 public:
  LUMAVEX_RUNTIME_CLASS
  int radius = 7;
};
const CRuntimeClass CShape::kClass{"CShape", &CObject::kClass};
const CRuntimeClass CCircle::kClass{"CCircle", &CShape::kClass, &CreateObjectOf<CCircle>};

TEST(RuntimeClass, KindFollowsTheClassChain) {
  CCircle circle;
  CShape shape;
  EXPECT_TRUE(circle.IsKindOf(&CShape::kClass));
  EXPECT_TRUE(circle.IsKindOf(&CObject::kClass));
  EXPECT_FALSE(shape.IsKindOf(&CCircle::kClass));
  EXPECT_STREQ(circle.GetRuntimeClass()->className, "CCircle");
  EXPECT_FALSE(CCircle::kClass.IsDerivedFrom(&CWnd::kClass));
  EXPECT_TRUE(CFrameWnd::kClass.IsDerivedFrom(&CCmdTarget::kClass));
}

TEST(RuntimeClass, CreatableClassesAreMadeByName) {
  const CRuntimeClass* cls = CRuntimeClass::FromName("CCircle");
  ASSERT_EQ(cls, &CCircle::kClass);
  CObject* made = cls->CreateObject();
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->GetRuntimeClass(), &CCircle::kClass);
  EXPECT_EQ(static_cast<CCircle*>(made)->radius, 7);
  delete made;

  EXPECT_EQ(CRuntimeClass::FromName("CShape")->CreateObject(), nullptr);
  EXPECT_EQ(CRuntimeClass::FromName("CNoSuchClass"), nullptr);
}

}  // namespace
