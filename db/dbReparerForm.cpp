// The stored form description of the repair window.
#include "db/dbReparerUNIT.h"

const char* const dbReparerFormText = R"(object dbReparerFORM: TdbReparerFORM
  Left = 707
  Top = 287
  BorderIcons = [biSystemMenu]
  BorderStyle = bsToolWindow
  Caption = 'Reparar DB'
  ClientHeight = 273
  ClientWidth = 151
  Color = 15461355
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  OldCreateOrder = False
  Position = poScreenCenter
  PrintScale = poNone
  Scaled = False
  OnActivate = FormActivate
  PixelsPerInch = 96
  TextHeight = 13
  object theList: TListBox
    Left = 0
    Top = 49
    Width = 151
    Height = 224
    Align = alClient
    BorderStyle = bsNone
    ItemHeight = 13
    TabOrder = 0
  end
  object Panel1: TVarnFrame
    Left = 0
    Top = 0
    Width = 151
    Height = 49
    ColorFrame = clGray
    Align = alTop
    BorderWidth = 2
    ParentColor = True
    TabOrder = 1
    TextColor = clBlack
    object theLabel: TLabel
      Left = 3
      Top = 33
      Width = 145
      Height = 13
      Align = alBottom
      Alignment = taCenter
    end
    object btStart: TVarnButton
      Left = 3
      Top = 3
      Width = 145
      Height = 22
      Cursor = crHandPoint
      Text = 'Empezar'
      Caption = 'Empezar'
      ColorFrame = clBlue
      ColorFrameInactive = 16758711
      ColorBack = 16758711
      ColorText = clBlue
      ColorTextActive = clNone
      Alignment = taCenter
      TextStyles = [fsBold]
      Align = alTop
      OnClick = btStartClick
    end
  end
end
)";
