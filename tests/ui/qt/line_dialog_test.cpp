#include <gtest/gtest.h>

#include <QListWidget>
#include <QTest>
#include <QTimer>

#include "support/temp_folder.h"
#include "ui/qt/dialogs/tform2.h"
#include "ui/qt/widgets/picture_control.h"
#include "updater/dialogs/line_dialog_model.h"

namespace veyra::testing {
namespace {

class LineDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    game.Write("web0.dat", "LineA http://a/ 80 30000\r\nLineB http://b/ 80 30000\r\nend\r\n");
  }
  TempFolder game;
};

TEST_F(LineDialogTest, OnlyTheDisplayLanguagesPicturesShowUnderTheList) {
  struct Case {
    const char* language;
    bool simplified;
    const char* last_item;
  };
  const Case cases[] = {{"t", false, "其它"}, {"n", false, "Other"}, {"s", true, "其它"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    LineDialogModel model(c.language);
    TForm2 form(model, c.language, QPoint(0, 0));
    EXPECT_EQ(form.Image0c->isVisibleTo(&form), !c.simplified);
    EXPECT_EQ(form.Image1c->isVisibleTo(&form), !c.simplified);
    EXPECT_EQ(form.Image2c->isVisibleTo(&form), !c.simplified);
    EXPECT_EQ(form.Image0s->isVisibleTo(&form), c.simplified);
    EXPECT_EQ(form.Image1s->isVisibleTo(&form), c.simplified);
    EXPECT_EQ(form.Image2s->isVisibleTo(&form), c.simplified);
    // Stacking from the bottom: backgrounds, pressed pictures, confirm pictures, the list.
    const QObjectList& order = form.children();
    const QObject* expected[] = {form.Image0c, form.Image0s, form.Image2c, form.Image2s,
                                 form.Image1c, form.Image1s, form.ListBox1};
    for (size_t i = 1; i < std::size(expected); ++i) {
      EXPECT_LT(order.indexOf(expected[i - 1]), order.indexOf(expected[i])) << i;
    }
    EXPECT_EQ(form.Image1c->geometry(), QRect(144, 352, 100, 29));
    EXPECT_EQ(form.Image2c->geometry(), QRect(144, 352, 92, 27));
    EXPECT_EQ(form.ListBox1->geometry(), QRect(52, 88, 296, 248));
    EXPECT_EQ(form.size(), QSize(400, 400));
    EXPECT_EQ(form.windowTitle(), "VeyraOnline Update");
    EXPECT_FALSE(form.windowFlags() & Qt::WindowCloseButtonHint);
    ASSERT_EQ(form.ListBox1->count(), 3);
    EXPECT_EQ(form.ListBox1->item(0)->text(), "LineA");
    EXPECT_EQ(form.ListBox1->item(2)->text(), c.last_item);
  }
}

TEST_F(LineDialogTest, AnyButtonDownOnConfirmWritesTheChoiceAndCloses) {
  game.Write("isp1.dat", "2\r\n");
  LineDialogModel model("t");
  TForm2 form(model, "t", QPoint(30, 40));
  EXPECT_EQ(form.ListBox1->currentRow(), 2);  // from isp1.dat
  bool pressed_shows = false;
  QPoint shown_at;
  QTimer::singleShot(0, &form, [&] {
    shown_at = form.pos();
    QTest::keyClick(&form, Qt::Key_Escape);  // no way out but the confirm picture
    ASSERT_TRUE(form.isVisible());
    form.ListBox1->setCurrentRow(1);
    QTest::mousePress(form.Image1c, Qt::RightButton, {}, QPoint(5, 5));
    pressed_shows = !form.Image1c->isVisibleTo(&form) && form.Image2c->isVisibleTo(&form);
  });
  QTimer::singleShot(10000, &form, [&] { form.done(QDialog::Rejected); });  // bound

  EXPECT_EQ(form.exec(), QDialog::Accepted);
  // The button goes up again, so that no later test starts with it held down.
  QTest::mouseRelease(form.Image1c, Qt::RightButton, {}, QPoint(5, 5));
  EXPECT_TRUE(pressed_shows);
  EXPECT_EQ(shown_at, QPoint(130, 40));
  EXPECT_EQ(model.SelectedIndex(), 1);
  EXPECT_EQ(game.Read("isp1.dat"), "1\r\n");
}

}  // namespace
}  // namespace veyra::testing
