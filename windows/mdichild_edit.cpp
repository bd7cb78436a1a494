// Key editing commands of a console window: delete, copy, paste and move of
// keys, and the keyboard. The console window's editor decides and shows.
#include "windows/keyedit.h"
#include "windows/mdichild.h"

void TMDIChild::ZmazAktivnuClick() { TKeyEditor::Of(this).Zmazat(false, false); }
void TMDIChild::Zmaz1Click() { TKeyEditor::Of(this).Zmazat(true, false); }
void TMDIChild::ZmazNaVsetkychPaneloch1Click() { TKeyEditor::Of(this).Zmazat(true, true); }
void TMDIChild::KopirovatLinkyClick() { TKeyEditor::Of(this).KopirovatLinky(); }
void TMDIChild::VlozitLinkyClick()
{
    // From a key's menu the block starts at that key, else at the active one.
    TKeyEditor::Of(this).VlozitLinky(PopupKey);
}
void TMDIChild::PresuvatLinkyClick() { TKeyEditor::Of(this).PresuvatLinky(); }
void TMDIChild::FormKeyPress(QChar key) { TKeyEditor::Of(this).FormKeyPress(key); }
void TMDIChild::MoveModeClick(TColorButton *key) { TKeyEditor::Of(this).MoveModeClick(key); }
void TMDIChild::MoveModeMouseMove(TColorButton *key) { TKeyEditor::Of(this).MoveModeMouseMove(key); }
