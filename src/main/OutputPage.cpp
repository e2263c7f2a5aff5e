// The "Output" page: bit depth, output names and folder, log and run switches.
#include <algorithm>

#include <QButtonGroup>
#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QValidator>

#include "main/Widgets.h"
#include "main/unit_main.h"
#include "options/OptionTable.h"
#include "options/ProcessSettings.h"
#include "options/RunChoices.h"

namespace tacetix {

namespace {

constexpr const char* WarningText = "Warning: Overwriting input files is not supported. Extra chunks/metadata like "
                                    "loops or root keys are ignored and will not be written to output files.";
constexpr const char* KeptWarningText =
    "Warning: Overwriting input files is not supported. Kept: INFO, bext, iXML, axml, cart, umid, inst, "
    "acid, ID3, markers and loops, moved with the cut; other chunks are dropped.";

QLineEdit* MakeEdit(QWidget* parent, const char* name, int maxLength) {
  auto* edit = Named(new QLineEdit(parent), name);
  edit->setMaxLength(maxLength);
  return edit;
}

// Limits typing only: QLineEdit's own limit also cuts a text the program sets, and a
// path chosen in the file dialog may be longer.
class TypedLengthLimit : public QValidator {
 public:
  TypedLengthLimit(int maxLength, QObject* parent) : QValidator(parent), MaxLength(maxLength) {}
  State validate(QString& input, int& /*caret*/) const override {
    return input.size() > MaxLength ? Invalid : Acceptable;
  }

 private:
  int MaxLength;
};

QGroupBox* BuildBitsGroup(TForm1& form) {
  auto* group = Named(new QGroupBox(QStringLiteral(" Bit &depth ")), "gbox_Bits");
  auto* row = new QHBoxLayout(group);
  form.combo_Bits = Named(new QComboBox(group), "combo_Bits");
  for (const BitDepthChoice& choice : BitDepthChoices)
    form.combo_Bits->addItem(QString::fromLatin1(choice.Name.Caption));
  form.combo_Bits->setCurrentIndex(0);
  form.combo_Bits->setMaxVisibleItems(form.combo_Bits->count());
  form.combo_Bits->setMinimumWidth(153);
  form.radio_BitsAll = MakeRadio(group, "radio_BitsAll", "convert &all");
  form.radio_BitsUp = MakeRadio(group, "radio_BitsUp", "only up");
  form.radio_BitsDown = MakeRadio(group, "radio_BitsDown", "only down");
  auto* radios = Named(new QButtonGroup(group), "group_BitsMode");
  for (QRadioButton* radio : {form.radio_BitsAll, form.radio_BitsUp, form.radio_BitsDown}) radios->addButton(radio);
  row->addWidget(form.combo_Bits);
  row->addSpacing(12);
  row->addWidget(form.radio_BitsAll);
  row->addWidget(form.radio_BitsUp);
  row->addWidget(form.radio_BitsDown);
  row->addSpacing(12);
  auto* dither = Named(new QComboBox(group), "combo_Dither");
  for (const ValueName& kind : FindOption("dither")->Values) dither->addItem(QString::fromLatin1(kind.Caption));
  row->addWidget(MakeLabel(group, "lab_Dither", "Dither"));
  row->addWidget(dither);
  row->addSpacing(12);
  form.combo_OutputType = Named(new QComboBox(group), "combo_OutputType");
  for (const ValueName& type : FindOption("format")->Values)
    form.combo_OutputType->addItem(QString::fromLatin1(type.Caption));
  row->addWidget(MakeLabel(group, "lab_OutputType", "Type"));
  row->addWidget(form.combo_OutputType);
  row->addStretch(1);
  // clang-format off
  form.Bind({.Key = "bits", .Control = form.combo_Bits, .Tip = "The bit depth of the output files."});
  form.Bind({.Key = "bits-mode", .Control = form.radio_BitsAll, .Value = int32_t(BitsModeKind::All),
             .Tip = "Convert every file to the chosen bit depth."});
  form.Bind({.Key = "bits-mode", .Control = form.radio_BitsUp, .Value = int32_t(BitsModeKind::Up),
             .Tip = "Convert only files of a lower bit depth; others keep theirs."});
  form.Bind({.Key = "bits-mode", .Control = form.radio_BitsDown, .Value = int32_t(BitsModeKind::Down),
             .Tip = "Convert only files of a higher bit depth; others keep theirs."});
  // An output of its input's depth loses no bits, so no noise can hide the rounding.
  form.Bind({.Key = "dither", .Control = dither,
             .Tip = "Noise added before rounding to fewer bits: off, triangular (1 step) or shaped towards high "
                    "frequencies.",
             .Live = [&form] { return form.combo_Bits->currentIndex() != 0; },
             .OffTip = "Off while the bit depth is \"same as input\": no output has fewer bits than its source, "
                       "so there is nothing to dither."});
  form.Bind({.Key = "format", .Control = form.combo_OutputType,
             .Tip = "The output files' type: that of each source, WAV, FLAC or AIFF. FLAC holds integers: it "
                    "excludes the float depths."});
  // clang-format on
  return group;
}

void BindFileNames(TForm1& form) {
  // clang-format off
  form.Bind({.Key = "prefix", .Control = form.edit_Prefix, .Field = TACETIX_FIELD(Prefix),
             .Tip = "Text put before each output file's name."});
  form.Bind({.Key = "suffix", .Control = form.edit_Suffix, .Field = TACETIX_FIELD(Suffix),
             .Tip = "Text put after each output file's name, before its extension."});
  form.Bind({.Key = "folder-mode", .Control = form.radio_FolderSubfolder, .Field = TACETIX_FIELD(FolderMode),
             .Value = int32_t(FolderKind::Subfolder),
             .Tip = "Write each output into a subfolder of its source's folder."});
  form.Bind({.Key = "folder-mode", .Control = form.radio_FolderOther, .Field = TACETIX_FIELD(FolderMode),
             .Value = int32_t(FolderKind::OtherFolder), .Tip = "Write every output into one folder."});
  form.Bind({.Key = "subfolder", .Control = form.edit_FolderSubfolder, .Field = TACETIX_FIELD(SubfolderText),
             .Tip = "The subfolder's name (created where missing)."});
  form.TabStop(form.bt_FolderOther);
  form.Bind({.Key = "output-dir", .Control = form.edit_FolderOther, .Field = TACETIX_FIELD(OtherFolderText),
             .Tip = "The folder for every output."});
  // clang-format on
}

QGroupBox* BuildFilesGroup(TForm1& form) {
  auto* group = Named(new QGroupBox(QStringLiteral(" File/folder names ")), "gbox_Files");
  auto* grid = new QGridLayout(group);
  form.lab_FileOther = MakeLabel(group, "lab_FileOther", "Source file with");
  form.lab_Prefix = MakeLabel(group, "lab_Prefix", "P&refix");
  form.lab_Suffix = MakeLabel(group, "lab_Suffix", "S&uffix");
  form.lab_Subfolder = MakeLabel(group, "lab_Subfolder", "Sub&folder");
  form.edit_Prefix = MakeEdit(group, "edit_Prefix", 254);
  form.edit_Suffix = MakeEdit(group, "edit_Suffix", 254);
  form.radio_FolderSubfolder = MakeRadio(group, "radio_FolderSubfolder", "Source folder with");
  form.radio_FolderOther = MakeRadio(group, "radio_FolderOther", "Other folder");
  form.edit_FolderSubfolder = MakeEdit(group, "edit_FolderSubfolder", 255);
  form.bt_FolderOther = MakeButton(group, "bt_FolderOther", "Browse&...");
  form.edit_FolderOther = Named(new QLineEdit(group), "edit_FolderOther");
  form.edit_FolderOther->setReadOnly(true);
  // Read-only, it takes its parent's background so that it does not look typeable.
  QPalette colours = form.edit_FolderOther->palette();
  colours.setColor(QPalette::Base, colours.color(QPalette::Window));
  form.edit_FolderOther->setPalette(colours);
  form.lab_Prefix->setBuddy(form.edit_Prefix);
  form.lab_Suffix->setBuddy(form.edit_Suffix);
  form.lab_Subfolder->setBuddy(form.edit_FolderSubfolder);
  form.lab_Prefix->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  form.lab_Subfolder->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  auto* radios = Named(new QButtonGroup(group), "group_Folder");
  radios->addButton(form.radio_FolderSubfolder);
  radios->addButton(form.radio_FolderOther);
  grid->addWidget(form.lab_FileOther, 0, 0);
  grid->addWidget(form.lab_Prefix, 0, 1);
  grid->addWidget(form.edit_Prefix, 0, 2);
  grid->addWidget(form.lab_Suffix, 0, 3);
  grid->addWidget(form.edit_Suffix, 0, 4);
  grid->addWidget(form.radio_FolderSubfolder, 1, 0);
  grid->addWidget(form.lab_Subfolder, 1, 1);
  grid->addWidget(form.edit_FolderSubfolder, 1, 2, 1, 3);
  grid->addWidget(form.radio_FolderOther, 2, 0);
  grid->addWidget(form.bt_FolderOther, 2, 1);
  grid->addWidget(form.edit_FolderOther, 2, 2, 1, 3);
  grid->setColumnStretch(2, 1);
  grid->setColumnStretch(4, 1);
  BindFileNames(form);
  return group;
}

QHBoxLayout* BuildLogRow(TForm1& form, QWidget* page) {
  auto* row = new QHBoxLayout();
  form.cbx_Logfile = MakeCheck(page, "cbx_Logfile", "&Logfile");
  form.bt_LogOptions = MakeButton(page, "bt_LogOptions", "&Options...");
  form.bt_LogBrowse = MakeButton(page, "bt_LogBrowse", "Bro&wse...");
  form.edit_Logfile = Named(new QLineEdit(page), "edit_Logfile");
  form.edit_Logfile->setValidator(new TypedLengthLimit(255, form.edit_Logfile));
  form.edit_Logfile->setText(QStringLiteral("tacetix.log"));
  row->addWidget(form.cbx_Logfile);
  row->addWidget(form.bt_LogOptions);
  row->addWidget(form.bt_LogBrowse);
  row->addWidget(form.edit_Logfile, 1);
  // clang-format off
  form.Bind({.Key = "logfile", .Control = form.cbx_Logfile, .Field = TACETIX_FIELD(LogEnabled), .Value = 1,
             .Tip = "Write a log of the run's options and one line of results per file."});
  // clang-format on
  form.TabStop(form.bt_LogOptions);
  form.TabStop(form.bt_LogBrowse);
  // clang-format off
  form.Bind({.Key = "log", .Control = form.edit_Logfile,
             .Tip = "The log file. A name without a folder goes into the folder of the list's first file."});
  // clang-format on
  return row;
}

QHBoxLayout* BuildSwitchesRow(TForm1& form, QWidget* page) {
  auto* row = new QHBoxLayout();
  auto* checks = new QVBoxLayout();
  form.cbx_NoChange =
      MakeCheck(page, "cbx_NoChange", "&Create files even if nothing changed (silence, normalizing, bit depth)");
  form.cbx_Overwrite = MakeCheck(page, "cbx_Overwrite", "Overwrite e&xisting files");
  form.cbx_StopOnError = MakeCheck(page, "cbx_StopOnError", "Stop on &error");
  form.cbx_KeepMetadata = MakeCheck(page, "cbx_KeepMetadata", "Keep &metadata (bext, iXML, markers, INFO)");
  checks->addWidget(form.cbx_NoChange);
  checks->addWidget(form.cbx_Overwrite);
  checks->addWidget(form.cbx_StopOnError);
  checks->addWidget(form.cbx_KeepMetadata);
  checks->addStretch(1);
  // clang-format off
  form.Bind({.Key = "create-unchanged", .Control = form.cbx_NoChange, .Field = TACETIX_FIELD(CreateIfUnchanged),
             .Value = 1, .Tip = "Write an output also for a file in which nothing would change."});
  form.Bind({.Key = "overwrite", .Control = form.cbx_Overwrite, .Field = TACETIX_FIELD(Overwrite), .Value = 1,
             .Tip = "Replace output files that exist already (never a source file)."});
  form.Bind({.Key = "keep-going", .Control = form.cbx_StopOnError, .Field = TACETIX_FIELD(StopOnError), .Value = 1,
             .Tip = "Stop the run at the first file that fails."});
  form.Bind({.Key = "keep-metadata", .Control = form.cbx_KeepMetadata, .Field = TACETIX_FIELD(KeepMetadata),
             .Value = 1, .Tip = "Carry the source's metadata chunks into its output, moved with the cut."});
  // clang-format on
  form.lab_Warning = MakeLabel(page, "lab_Warning", WarningText);
  form.lab_Warning->setWordWrap(true);
  form.lab_Warning->setFixedWidth(186);
  // Room for the longer of its two texts, so that ticking the box moves nothing.
  const QFontMetrics metrics(form.lab_Warning->font());
  int height = 0;
  for (const char* text : {WarningText, KeptWarningText})
    height = std::max(
        height, metrics.boundingRect(QRect(0, 0, 186, 10000), Qt::TextWordWrap, QString::fromLatin1(text)).height());
  form.lab_Warning->setMinimumHeight(height);
  QPalette colours = form.lab_Warning->palette();
  colours.setColor(QPalette::WindowText, WarningColour(colours));
  form.lab_Warning->setPalette(colours);
  form.lab_Warning->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  row->addLayout(checks, 1);
  row->addWidget(form.lab_Warning);
  return row;
}

}  // namespace

QWidget* TForm1::BuildOutputPage() {
  auto* page = new QWidget();
  auto* column = new QVBoxLayout(page);
  gbox_Bits = BuildBitsGroup(*this);
  gbox_Files = BuildFilesGroup(*this);
  column->addWidget(gbox_Bits);
  column->addWidget(gbox_Files);
  column->addSpacing(8);
  cbx_Simulation = MakeCheck(page, "cbx_Simulation", "&Simulation (no output except logfile)");
  column->addWidget(cbx_Simulation);
  // clang-format off
  Bind({.Key = "simulate", .Control = cbx_Simulation, .Field = TACETIX_FIELD(Simulation), .Value = 1,
        .Tip = "Do everything but write wave files and folders; the log tells what would happen."});
  // clang-format on
  column->addLayout(BuildLogRow(*this, page));
  column->addSpacing(8);
  column->addLayout(BuildSwitchesRow(*this, page));
  column->addStretch(1);
  connect(cbx_KeepMetadata, &QCheckBox::toggled, this, [this] { cbx_KeepMetadataClick(); });
  return page;
}

void TForm1::cbx_KeepMetadataClick() {
  lab_Warning->setText(QString::fromLatin1(cbx_KeepMetadata->isChecked() ? KeptWarningText : WarningText));
}

}  // namespace tacetix
