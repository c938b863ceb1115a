#include "functiondlg.h"
#include "tarnterm.h"
FunctionDlg::FunctionDlg(TarnTerm *parent, Qt::WindowFlags flags) : QDialog(parent, flags), ui(nullptr) {}
FunctionDlg::~FunctionDlg() {}
