// Key editing commands of a console window: delete, copy, paste and move of
// keys, and the keyboard. They stand in until the editing commands land:
// move each body into its own place and delete it here.
#include "windows/mdichild.h"

void TMDIChild::ZmazAktivnuClick() {}
void TMDIChild::Zmaz1Click() {}
void TMDIChild::ZmazNaVsetkychPaneloch1Click() {}
void TMDIChild::KopirovatLinkyClick() {}
void TMDIChild::VlozitLinkyClick() {}
void TMDIChild::PresuvatLinkyClick() {}
void TMDIChild::FormKeyPress(QChar key) { Q_UNUSED(key); }
void TMDIChild::MoveModeClick(TColorButton *key) { Q_UNUSED(key); }
void TMDIChild::MoveModeMouseMove(TColorButton *key) { Q_UNUSED(key); }
