#include "ui/qt/updater/tform1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <cstdlib>
#include <exception>

#include "platform/paths.h"
#include "platform/text_codec.h"
#include "text/language.h"
#include "ui/qt/dialogs/tform2.h"
#include "ui/qt/dialogs/tform3.h"
#include "ui/qt/qt_pump.h"
#include "ui/qt/updater/form_pictures.h"
#include "ui/qt/updater/gauge_widget.h"
#include "ui/qt/updater/list_box_sync.h"
#include "ui/qt/updater/page_panel.h"
#include "ui/qt/widgets/contents_size.h"
#include "ui/qt/widgets/picture_buttons.h"
#include "ui/qt/widgets/picture_control.h"
#include "window_rules/list_box_edit.h"
#include "window_rules/picture_button_names.h"
#include "window_rules/updater_window_layout.h"

namespace veyra {
namespace {

namespace layout = updater_window;

QRect ToQRect(const Rect& rect) {
  return QRect(rect.left, rect.top, rect.width, rect.height);
}

QColor ToQColor(Rgb rgb) {
  return QColor(rgb.red, rgb.green, rgb.blue);
}

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QFont FontOf(std::string_view family, int pixel_height) {
  QFont font(FromUtf8(family));
  font.setPixelSize(pixel_height);
  return font;
}

// A transparent yellow label in the window's font.
QLabel* MakeLabel(QWidget* parent, Rgb colour) {
  auto* label = new QLabel(parent);
  label->setAttribute(Qt::WA_TranslucentBackground);
  label->setAttribute(Qt::WA_TransparentForMouseEvents);
  label->setAutoFillBackground(false);
  label->setMargin(0);
  label->setIndent(0);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, ToQColor(colour));
  label->setPalette(palette);
  return label;
}

// The form's font size where a control's own is not set.
constexpr int kFormFontPixels = 12;

UpdaterWindowOptions WithDefaults(UpdaterWindowOptions options) {
  if (options.language_code.empty()) options.language_code = GetLanguageCode();
  if (!options.end_process) options.end_process = [] { std::_Exit(0); };
  if (!options.make_page_panel) {
    options.make_page_panel = [](QWidget* parent) { return new WebPagePanel(parent); };
  }
  return options;
}

}  // namespace

TForm1::TForm1(const std::vector<std::string>& program_arguments, QWidget* parent)
    : TForm1(program_arguments, UpdaterWindowOptions{}, parent) {}

TForm1::TForm1(const std::vector<std::string>& program_arguments, UpdaterWindowOptions options,
               QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      language_code_(WithDefaults(options).language_code),
      options_(WithDefaults(std::move(options))),
      engine_(*this, language_code_) {
  BuildControls();
  WireButtons();
  Guarded([&] { FormCreate(program_arguments); });
}

TForm1::~TForm1() = default;

QString TForm1::Display(const std::string& bytes) const {
  return QString::fromStdString(DecodeForDisplay(language_code_, bytes));
}

void TForm1::BuildControls() {
  setFont(FontOf(layout::kWindowFont, kFormFontPixels));
  // Built as designed: every picture control with its built-in picture, in stacking order from
  // the bottom; the creation steps then load the game folder's pictures and place everything.
  Image1 = new PictureControl(this);
  Image1->SetAutoSize(true);
  Image1->SetPicture(FormBuiltinPicture("TForm1/Image1.jpg"));
  Image1->move(layout::kImage1At.left, layout::kImage1At.top);

  WebBrowser1 = options_.make_page_panel(this);
  ListBox1 = new QListWidget(this);
  ListBox1->setGeometry(ToQRect(layout::kListBox1));
  ListBox2 = new QListWidget(this);
  ListBox2->setGeometry(ToQRect(layout::kListBox2));

  Gauge1 = new GaugeWidget(this);
  Gauge1->setGeometry(ToQRect(layout::kGauge1));
  Image5 = new PictureControl(this);
  Image5->setAttribute(Qt::WA_TransparentForMouseEvents);
  Image5->resize(0, 0);
  Label4 = MakeLabel(this, layout::kLabel4Colour);
  Label4->setText(QStringLiteral("0% "));
  Label3 = MakeLabel(this, layout::kLabel3Colour);
  Label3->setFont(FontOf(layout::kLabel3Font, kFormFontPixels));
  Label3->hide();

  const auto make_button = [this](const PictureButtonLayout& button, std::string_view builtin,
                                  PictureAction action) {
    auto* control = new PictureControl(this);
    control->SetAutoSize(!button.place.size.has_value());
    control->SetPicture(FormBuiltinPicture(builtin));
    control->move(button.place.at.left, button.place.at.top);
    if (button.place.size) control->resize(button.place.size->width, button.place.size->height);
    control->setAccessibleName(Display(PictureActionName(action, language_code_)));
    control->setCursor(Qt::PointingHandCursor);
    return control;
  };
  Image2 = make_button(layout::kImage2, "TForm1/Image2.jpg", PictureAction::kStartUpdate);
  Image3 = make_button(layout::kImage3, "TForm1/Image3.jpg", PictureAction::kStartGame);
  Image3->hide();
  Image6 = make_button(layout::kImage6, "TForm1/Image6.jpg", PictureAction::kTroubleshoot);
  Image4 = make_button(layout::kImage4, "TForm1/Image4.jpg", PictureAction::kExit);

  // As designed: the empty gauge with its label shows from the start.
  engine_.window().Gauge1.visible = true;
}

void TForm1::WireButtons() {
  buttons_ = new PictureButtons(this);
  const auto guarded = [this](void (TForm1::*handler)()) {
    return [this, handler](MouseButton) { Guarded([&] { (this->*handler)(); }); };
  };
  buttons_->Add(Image2,
                {guarded(&TForm1::Image2MouseDown), nullptr, guarded(&TForm1::Image2MouseUp)});
  buttons_->Add(Image3,
                {guarded(&TForm1::Image3MouseDown), [this] { Guarded([&] { Image3Click(); }); },
                 guarded(&TForm1::Image3MouseUp)});
  buttons_->Add(Image6,
                {guarded(&TForm1::Image6MouseDown), nullptr, guarded(&TForm1::Image6MouseUp)});
  buttons_->Add(Image4,
                {guarded(&TForm1::Image4MouseDown), [this] { Guarded([&] { Button4Click(); }); },
                 guarded(&TForm1::Image4MouseUp)});
}

void TForm1::FormCreate(const std::vector<std::string>& program_arguments) {
  setWindowTitle(FromUtf8(layout::kCheckpointCaptions[0]));
  WebBrowser1->Navigate(ProgramFolder() + "index2.html");
  WebBrowser1->setGeometry(ToQRect(layout::kWebBrowser1));

  // The engine's creation takes the login parameters, resets its state and makes the program
  // folder the current folder; it arms the driver too, which waits for the end of a complete
  // creation here.
  setWindowTitle(FromUtf8(layout::kCheckpointCaptions[1]));
  engine_.FormCreate(program_arguments);
  engine_.DriverArmed = false;

  ListBox1->setFont(FontOf(layout::kListFont, kFormFontPixels));
  ListBox2->setFont(FontOf(layout::kListFont, kFormFontPixels));
  Image5->SetTransparent(true);

  setWindowTitle(FromUtf8(layout::kCheckpointCaptions[2]));
  Label4->setFont(FontOf(layout::kWindowFont, layout::kLabel4FontHeight));
  LabelState& progress = engine_.window().Label4;
  progress.text = "0% ";
  progress.visible = true;
  progress.top = layout::kLabel4Top;
  progress.left = CentredOffset(Image1->width(), ProgressTextWidth(progress.text));

  FitToContents();
  const QScreen* screen =
      this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
  if (screen != nullptr) {
    const QSize screen_size = screen->geometry().size();
    const Point at =
        CentredOnScreen(layout::kWindowSize, {screen_size.width(), screen_size.height()});
    move(at.left, at.top);
  }

  setWindowTitle(FromUtf8(layout::kCheckpointCaptions[3]));
  setWindowTitle(FromUtf8(layout::kCheckpointCaptions[4]));
  StateChanged(engine_.window(), engine_.UpdateState);

  setWindowTitle(FromUtf8(layout::kCheckpointCaptions[5]));
  if (!LoadCreationPictures()) return;  // stops here: built-in pictures, no driver
  LayOut();

  engine_.DriverArmed = true;
  setWindowTitle(FromUtf8(layout::kCaption));
  Gauge1->SetBarColour(ToQColor(layout::kGauge1BarColour));
}

bool TForm1::LoadCreationPictures() {
  const struct {
    PictureControl* control;
    std::string_view picture;
  } pictures[] = {
      {Image1, layout::kImage1Picture},   {Image2, layout::kImage2.released},
      {Image3, layout::kImage3.released}, {Image4, layout::kImage4.released},
      {Image6, layout::kImage6.released},
  };
  for (const auto& entry : pictures) {
    std::optional<QImage> picture = LoadUpdaterPicture(entry.picture, language_code_);
    if (!picture) return false;
    entry.control->SetPicture(*picture);
    if (entry.control == Image1) FitToContents();
  }
  return true;
}

void TForm1::LayOut() {
  const auto place = [](PictureControl* control, const PictureButtonLayout& button) {
    control->move(button.place.at.left, button.place.at.top);
    if (button.place.size) control->resize(button.place.size->width, button.place.size->height);
  };
  place(Image3, layout::kImage3);
  place(Image6, layout::kImage6);
  place(Image4, layout::kImage4);
  place(Image2, layout::kImage2);
  Image5->move(layout::kImage5At.left, layout::kImage5At.top);
  Gauge1->setGeometry(ToQRect(layout::kGauge1));
  ListBox1->setGeometry(ToQRect(layout::kListBox1));
  ListBox2->setGeometry(ToQRect(layout::kListBox2));
  Label3->move(layout::kLabel3At.left, layout::kLabel3At.top);
  Label3->setFont(FontOf(layout::kLabel3Font, layout::kLabel3FontHeight));
  StateChanged(engine_.window(), engine_.UpdateState);
  FitToContents();
}

void TForm1::FitToContents() {
  // The gauge's picture lies within the gauge.
  setFixedSize(ContentsSize(*this, {Image5}));
}

void TForm1::ScheduleDriver() {
  if (driver_scheduled_ || !engine_.DriverArmed) return;
  driver_scheduled_ = true;
  // The driver opens the line dialog and runs for a long time; it starts from the event loop,
  // once the window is on screen, rather than inside the sizing itself.
  QTimer::singleShot(0, this, [this] { Guarded([&] { engine_.FormResize(); }); });
}

void TForm1::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  ScheduleDriver();
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  if (isVisible()) ScheduleDriver();
}

void TForm1::closeEvent(QCloseEvent* event) {
  RunFormClose();
  event->accept();
}

void TForm1::RunFormClose() {
  if (form_closed_) return;
  form_closed_ = true;
  Guarded([&] { engine_.FormClose(); });
}

void TForm1::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    Log(std::string("handler ended: ") + error.what());
  } catch (...) {
    Log("handler ended");
  }
}

// --- The picture buttons ----------------------------------------------------------------------

void TForm1::Image2MouseDown() {
  ShowButtonPicture(*Image2, layout::kImage2, layout::kImage2.pressed, language_code_);
}

void TForm1::Image2MouseUp() {
  if (!ShowButtonPicture(*Image2, layout::kImage2, layout::kImage2.released, language_code_)) {
    return;
  }
  // Measures the main pass this press starts, when VEYRA_REPORT_EVENT_GAPS asks for it.
  const EventGapReport gaps("main pass", engine_.window().Button1Enabled);
  engine_.StartPictureClicked();
}

void TForm1::Image3MouseDown() {
  ShowButtonPicture(*Image3, layout::kImage3, layout::kImage3.pressed, language_code_);
}

void TForm1::Image3MouseUp() {
  ShowButtonPicture(*Image3, layout::kImage3, layout::kImage3.released, language_code_);
}

void TForm1::Image3Click() {
  engine_.Image3Click();
}

void TForm1::Image6MouseDown() {
  ShowButtonPicture(*Image6, layout::kImage6, layout::kImage6.pressed, language_code_);
}

void TForm1::Image6MouseUp() {
  if (!ShowButtonPicture(*Image6, layout::kImage6, layout::kImage6.released, language_code_)) {
    return;
  }
  auto dialog = std::make_unique<TForm3>(
      language_code_, frameGeometry().topLeft(), [this] { engine_.ForceUpdateChosen(); }, this);
  update_mode_dialog_ = dialog.get();
  dialog->exec();
  update_mode_dialog_ = nullptr;
}

void TForm1::Image4MouseDown() {
  ShowButtonPicture(*Image4, layout::kImage4, layout::kImage4.pressed, language_code_);
}

void TForm1::Image4MouseUp() {
  ShowButtonPicture(*Image4, layout::kImage4, layout::kImage4.released, language_code_);
}

void TForm1::Button4Click() {
  engine_.Button4Click();
}

// --- The view port ------------------------------------------------------------------------------

void TForm1::ShowMessage(const std::string& text) {
  QMessageBox::information(this, ApplicationTitle(), Display(text));
}

void TForm1::Log(const std::string& line) {
  qInfo("%s", DecodeForDisplay(language_code_, line).c_str());
}

bool TForm1::AskYesNo(const std::string& question) {
  return QMessageBox::question(this, ApplicationTitle(), Display(question),
                               QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::Yes) == QMessageBox::Yes;
}

void TForm1::RunLineDialog(LineDialogModel& dialog) {
  TForm2 form(dialog, language_code_, frameGeometry().topLeft(), this);
  form.exec();
}

void TForm1::ReloadPage() {
  WebBrowser1->Reload();
}

void TForm1::HideWindow() {
  hide();
}

void TForm1::CloseWindow() {
  RunFormClose();
  done(QDialog::Accepted);
}

void TForm1::EndProcess() {
  options_.end_process();
}

void TForm1::Terminate() {
  // Not quit(): in Qt 6 it first offers every window a close, which would run this window's
  // closing step and hide it while a running pass still goes on to its end. exit() only ends
  // the event loops, each once its running work has returned to it.
  QCoreApplication::exit(0);
}

void TForm1::StateChanged(const UpdaterWindowState& window, UpdateStage /*stage*/) {
  if (ListMayHaveChanged(shown_list1_, window.ListBox1)) {
    SyncListBox(*ListBox1, shown_list1_, window.ListBox1, language_code_);
    shown_list1_ = window.ListBox1;
  }
  if (ListMayHaveChanged(shown_list2_, window.ListBox2)) {
    SyncListBox(*ListBox2, shown_list2_, window.ListBox2, language_code_);
    shown_list2_ = window.ListBox2;
  }

  const QString status = Display(window.Label3.text);
  if (Label3->text() != status) Label3->setText(status);
  Label3->adjustSize();
  Label3->move(window.Label3.left, window.Label3.top);
  Label3->setVisible(window.Label3.visible);

  const QString progress = Display(window.Label4.text);
  if (Label4->text() != progress) Label4->setText(progress);
  Label4->setGeometry(window.Label4.left, window.Label4.top, ProgressTextWidth(window.Label4.text),
                      QFontMetrics(Label4->font()).height());
  Label4->setVisible(window.Label4.visible);

  Gauge1->SetGauge(window.Gauge1);
  Gauge1->setVisible(window.Gauge1.visible);
  Image3->setVisible(window.Image3Visible);
}

int TForm1::ProgressTextWidth(std::string_view text) const {
  return QFontMetrics(Label4->font())
      .horizontalAdvance(QString::fromStdString(DecodeForDisplay(language_code_, text)));
}

int TForm1::ClientWidth() const {
  return width();
}

}  // namespace veyra
