#include "link/LinkErrorTexts.h"

const CLngStr kLinkErrorTexts[kLinkErrorCount] = {
    {0, {"none", "keiner", "aucune", "žádná"}},
    {0, {"wrong check byte", "falsches Prüfbyte", "octet de contrôle erroné", "chybný kontrolní bajt"}},
    {0, {"no answer in time", "keine Antwort in der Zeit", "pas de réponse à temps", "žádná odpověď včas"}},
    {0, {"transfer gave up", "Übertragung abgebrochen", "transfert abandonné", "přenos selhal"}},
    {0,
     {"port could not be opened", "Anschluss ließ sich nicht öffnen", "le port n'a pas pu être ouvert",
      "port nelze otevřít"}},
    {0, {"frame not written", "Rahmen nicht geschrieben", "trame non écrite", "rámec nebyl zapsán"}},
};
