// Property access by DISPID through the C interface: every property of the interface table is
// found by its name and its number, and access by number fails as access by name does.
#include <gtest/gtest.h>

#include <string>

#include "component/interface_table.hpp"
#include "novaflux/kiv.h"

using namespace novaflux::detail;

namespace {

struct Handle {
  KivObject* k = kiv_create();
  ~Handle() { kiv_destroy(k); }
};

TEST(CInterfaceById, EveryPropertyByNameAndByNumber) {
  Handle h;
  for (const PropertyInfo& p : properties()) {
    const std::string name(p.name);
    ASSERT_EQ(kiv_property_id(name.c_str()), p.dispid) << name;
    ASSERT_EQ(find_property_by_dispid(p.dispid), &p) << name;
    if (p.type == PropType::Variant) continue;
    // A value every numeric type holds; read back by the other path.
    ASSERT_EQ(kiv_put_id(h.k, p.dispid, 1), 0) << name << ": " << kiv_last_error(h.k);
    double by_name = 0, by_id = 0;
    ASSERT_EQ(kiv_get(h.k, name.c_str(), &by_name), 0) << name;
    ASSERT_EQ(kiv_get_id(h.k, p.dispid, &by_id), 0) << name;
    EXPECT_EQ(by_name, by_id) << name;
    EXPECT_EQ(by_id, p.type == PropType::Boolean ? -1.0 : 1.0) << name;
  }
}

TEST(CInterfaceById, FailuresAreThoseOfAccessByName) {
  Handle h;
  double v = 0;
  for (const char* unknown : {"NoSuchProperty", "kivunitsi", "", "KivunitSI "})
    EXPECT_EQ(kiv_property_id(unknown), -1) << unknown;
  EXPECT_EQ(kiv_property_id(nullptr), -1);

  EXPECT_NE(kiv_put_id(h.k, 0x40030075, 1), 0);  // a gap in the data block
  EXPECT_NE(std::string(kiv_last_error(h.k)).find("DISPID 0x40030075"), std::string::npos) << kiv_last_error(h.k);
  EXPECT_NE(kiv_get_id(h.k, -1, &v), 0);
  EXPECT_NE(kiv_put_id(nullptr, 0, 1), 0);

  // The same status and text as by name: an Integer overflow, a variant holding text.
  EXPECT_EQ(kiv_put_text(h.k, "KivOutNOVAFLUXModel", "TXL"), 0);
  const auto same_failure = [&](auto by_id, auto by_name) {
    const int id_status = by_id();
    const std::string id_text = kiv_last_error(h.k);
    EXPECT_NE(id_status, 0);
    EXPECT_EQ(id_status, by_name());
    EXPECT_EQ(id_text, kiv_last_error(h.k));
  };
  same_failure([&] { return kiv_put_id(h.k, kiv_property_id("KivOutErrorCode"), 1e6); },
               [&] { return kiv_put(h.k, "KivOutErrorCode", 1e6); });
  same_failure([&] { return kiv_get_id(h.k, kiv_property_id("KivOutNOVAFLUXModel"), &v); },
               [&] { return kiv_get(h.k, "KivOutNOVAFLUXModel", &v); });
  EXPECT_NE(kiv_get_id(h.k, kiv_property_id("KivunitSI"), nullptr), 0);
  // A success clears the error of the call before.
  EXPECT_EQ(kiv_put_id(h.k, kiv_property_id("KivunitSI"), 1), 0);
  EXPECT_STREQ(kiv_last_error(h.k), "");
}

}  // namespace
