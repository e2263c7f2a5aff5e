// The modal "Logfile Options" dialog: what the run log contains and which decimal and
// field separators it uses. The main window creates it once and keeps it, so the
// user-defined separator field keeps its text between showings.
#pragma once

#include <QDialog>

#include "log/unit_logging.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QShowEvent;

// Each separator radio button and the two separator group boxes carry a character code
// in the dynamic property "Tag"; a group box's code is the chosen separator, 0 for none.
class Tfrm_LogOptions : public QDialog {
  Q_OBJECT

 public:
  explicit Tfrm_LogOptions(QWidget* parent = nullptr);

  // Ticks the boxes and selects the separators of settings; a standard field separator
  // leaves the user-defined field's text as it is.
  void LoadFrom(const tacetix::LogSettings& settings);
  // Writes the boxes and the selected separators into settings (meant for after OK).
  void SaveTo(tacetix::LogSettings& settings) const;
  // OK is enabled exactly when a field separator is chosen and differs from the decimal one.
  void UpdateOkButton();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildFilesGroup();
  void BuildDeciGroup();
  void BuildFieldGroup();
  void BuildLayout();
  void LoadFieldSeparator(unsigned char code);
  void FormShow();
  void rb_sepadeci_commaClick(QRadioButton* sender);
  void rb_sepafield_userClick(QRadioButton* sender);
  void edit_sepafield_userChange(const QString& text);

  QGroupBox* gbox_files = nullptr;
  QCheckBox* cbx_ProcInfOnly = nullptr;
  QCheckBox* cbx_infile = nullptr;
  QCheckBox* cbx_outfile = nullptr;
  QGroupBox* gbox_deci = nullptr;
  QRadioButton* rb_sepadeci_comma = nullptr;
  QRadioButton* rb_sepadeci_dot = nullptr;
  QGroupBox* gbox_field = nullptr;
  QRadioButton* rb_sepafield_comma = nullptr;
  QRadioButton* rb_sepafield_semi = nullptr;
  QRadioButton* rb_sepafield_tab = nullptr;
  QRadioButton* rb_sepafield_user = nullptr;
  QLineEdit* edit_sepafield_user = nullptr;
  QPushButton* bt_OK = nullptr;
  QPushButton* bt_Cancel = nullptr;
};

// Loads settings into the dialog, runs it modally and saves back only when it closes
// with OK. True when the user confirmed.
bool RunLogOptions(Tfrm_LogOptions& dialog, tacetix::LogSettings& settings);
