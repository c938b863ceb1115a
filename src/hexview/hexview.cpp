#include "hexview.h"
HexView::HexView(QWidget *parent) : QAbstractScrollArea(parent) {}
void HexView::setReadOnly(bool) {}
bool HexView::isReadOnly() const { return true; }
static QByteArray stubData;
QByteArray HexView::data() const { return stubData; }
void HexView::setData(const QByteArray &d) { stubData = d; }
void HexView::appendData(const QByteArray &d) { stubData += d; }
