// One configuration, one price: the price box, the order list's total and the recheck of the
// saved order agree for every HMI entry of the sample, the ZEV-Azo shown or hidden.
#include <gtest/gtest.h>

#include "TestFiles.h"
#include "core/customer/Recheck.h"
#include "core/session/Configurator.h"

using namespace kb;

namespace {

// The order list's last sum: the total, or the ZEV-Ozi's subtotal when the ZEV-Azo is hidden.
std::string ListedTotal(const OrderList& list) {
    std::string total;
    for (const OrderListRow& row : list.rows)
        if (row[2] == "Total" || (row[2] == "Subtotal Zev-Ozi" && total.empty()))
            total = row[3];
    return total;
}

TEST(OnePrice, PriceBoxOrderListAndRecheckAgree) {
    TempDir dir;
    const std::string ini = dir.write("KITBUILDER.INI", ReadFileBytes(KITBUILDER_DATA_DIR "/KITBUILDER.INI"));
    dir.write("KITBUILDER.PRS", ReadFileBytes(KITBUILDER_DATA_DIR "/KITBUILDER.PRS"));
    Configurator c;
    ASSERT_EQ(c.LoadCatalogue(ini, dir.file("KITBUILDER.PRS")).result, LoadResult::Loaded);
    c.StartUp(false);
    ASSERT_TRUE(c.showPricesChecked());
    const RecheckBasis basis = MakeRecheckBasis(c.snapshot(), c.startChoice(), ReadRuleSections(ini).value());

    int compared = 0;
    for (int hmi = 0; hmi < c.snapshot()->Count(Group::HMI); ++hmi) {
        for (int slot : {0, 1}) {
            c.UserSelect(Group::HMI, hmi);
            c.UserSelect(Group::X1, slot);
            const Configurator::CheckedOrderList shown = c.ShowOrderList();
            if (!shown.list)
                continue;
            SCOPED_TRACE(shown.list->code);
            EXPECT_EQ(c.choice().azoVisible, hmi == 0);
            EXPECT_EQ(ListedTotal(*shown.list), c.priceText());
            const std::string order = dir.write("order.CST", "[Data]\nCode=" + shown.list->code + "\n");
            EXPECT_EQ(RecheckCustomerFile(order, basis).price, c.priceText());
            ++compared;
        }
    }
    EXPECT_GE(compared, 4);
}

} // namespace
