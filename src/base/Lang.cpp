#include "base/Lang.h"

#include <span>

namespace {
int g_language = kEnglish;

constexpr CLngStr kNotFound{0, {"?STR not found?", nullptr, nullptr, nullptr}};
constexpr CLngStr kEmpty{0, {"", nullptr, nullptr, nullptr}};

// General words and short messages.
constexpr CLngStr kGroup1[] = {
    kNotFound,
    kEmpty,
    {0, {"YES", "JA", "Oui", "ANO"}},
    {0, {"NO", "NEIN", "Non", "NE"}},
    {0, {"Cancel", nullptr, nullptr, "Zpět"}},
    {0, {"OK", nullptr, nullptr, "Nastav"}},
    {0, {"Error", nullptr, nullptr, "Chyba"}},
    {0, {"Warning", nullptr, nullptr, "Varování"}},
    {0, {"Choose continuouse rectangle arrea of cells...", nullptr, nullptr, "Vyberte obdelníkovou oblast buněk..."}},
    {0, {"Reset error", nullptr, nullptr, "Chyba při resetu"}},
};

// External monitor window and its dialogs.
constexpr CLngStr kGroup2[] = {
    kNotFound,
    kEmpty,
    {0, {"is running", "läuft", "fonctionne", "běží"}},
    {0, {"no signal", "kein Signal", "pas de signal", "bez signálu"}},
    {0, {"Edit", "Bearbeiten", "Modifier", "Upravit"}},
    {0, {"Read only", "Nur lesen", "Lecture seule", "Jen pro čtení"}},
    {0,
     {"External monitor   (!!! No connection with PC !!!)", "External monitor   (!!! Keine Verbindung zum PC !!!)",
      "Externí monitor   (!!! Pas de connection acec pc !!!)", "External monitor   (!!! Není spojení s PC !!!)"}},
    {0,
     {"External monitor   (Connected)", "External monitor   (Verbindung)", "External monitor   (Connection)",
      "Externí monitor   (Spojeno)"}},
    {0, {"Insert text", "Text einfügen", "Insérer un texte", "Vlož text"}},
    {0, {"Edit text", "Text bearbeiten", "Modifier le texte", "Upravit text"}},
    {0, {"Set indicator", "Anzeige einstellen", "Régler l'indicateur", "Nastavit indikátor"}},
    {0, {"Normal window", "Normales Fenster", "Fenêtre normale", "Normální okno"}},
    {0, {"Always on the top", "Immer im Vordergrund", "Toujours au premier plan", "Vždy nahoře"}},
    {0, {"End edit mode", "Bearbeitungsmodus beenden", "Quitter le mode édition", "Konec úprav"}},
    {0, {"Enter edit mode", "Bearbeitungsmodus starten", "Passer en mode édition", "Mód úprav"}},
    {0, {"Add text", "Text hinzufügen", "Ajouter un texte", "Přidat text"}},
    {0, {"Add image", "Bild hinzufügen", "Ajouter une image", "Vlož obrázek"}},
    {0, {"Add watch", "Messwert hinzufügen", "Ajouter une mesure", "Vlož sledování"}},
    {0, {"Delete", "Löschen", "Supprimer", "Smaž"}},
    {0, {"Backwards", "Nach hinten", "Mettre en arrière-plan", "Na pozadí"}},
    {0, {"Properties", "Eigenschaften", "Propriétés", "Vlastnosti"}},
    {0, {"Load monitor set", "Monitorsatz laden", "Charger un jeu de moniteur", "Načíst sadu monitoru"}},
    {0, {"Store monitor set", "Monitorsatz speichern", "Enregistrer le jeu de moniteur", "Uložit sadu monitoru"}},
    {0,
     {"Corvalis external monitor|*.cem", "Corvalis externer Monitor|*.cem", "Moniteur externe Corvalis|*.cem",
      "Corvalis - externí monitor|*.cem"}},
    {0, {"Unspecific error...", "Unbestimmter Fehler...", "Erreur non spécifiée...", "Blíže neurčená chyba..."}},
    {0,
     {"Open file error...", "Fehler beim Öffnen der Datei...", "Erreur à l'ouverture du fichier...",
      "Chyba při otevírání souboru..."}},
    {0,
     {"Invalid format or version of file...", "Ungültiges Format oder ungültige Version der Datei...",
      "Format ou version du fichier non valide...", "Neplatný formát nebo verze souboru..."}},
    {0,
     {"Invalid string storage...", "Ungültig gespeicherter Text...", "Texte enregistré non valide...",
      "Neplatně uložený text..."}},
    {0,
     {"Invalid picture storage...", "Ungültig gespeichertes Bild...", "Image enregistrée non valide...",
      "Neplatně uložený obrázek..."}},
    {0, {"Horizontal", "Horizontal", "Horizontal", "Vodorovný"}},
    {0, {"Vertical", "Vertikal", "Vertical", "Svislý"}},
    {0, {"Round", "Rund", "Rond", "Kruhový"}},
    {0, {"Type of indicator", "Art der Anzeige", "Type d'indicateur", "Typ indikátoru"}},
    {0, {"Color of indicator", "Farbe der Anzeige", "Couleur de l'indicateur", "Barva indikátoru"}},
    {0, {"Indicator of parameter:", "Anzeige des Parameters:", "Indicateur du paramètre:", "Indikátor parametru:"}},
    {0, {"Value of parameter:", "Wert des Parameters:", "Valeur du paramètre:", "Hodnota parametru:"}},
    {0, {"Label of parameter:", "Bezeichnung des Parameters:", "Libellé du paramètre:", "Popisek parametru:"}},
    {0, {"Use units", "Einheiten anzeigen", "Afficher les unités", "Zobrazit jednotky"}},
    kEmpty,
    kEmpty,
};

// Sheet control: menus, hints, messages, map titles and axis labels.
constexpr CLngStr kGroup3[] = {
    kNotFound,
    kEmpty,
    {0, {"only", "nur", "seulement", "pouze"}},
    {0, {"and", "und", "et", "a"}},
    {0, {"TOP", "OBEN", "DESSUS", "SHORA"}},
    {0, {"ISO1", "ISO1", "ISO1", "ISO1"}},
    {0, {"ISO2", "ISO2", "ISO2", "ISO2"}},
    {0, {"Selection", "Auswahl", "Sélection", "Výběr"}},
    {0, {"Actual value", "Aktueller Wert", "Valeur actuelle", "Aktuální hodnota"}},
    {0, {"Interpolation", "Interpolation", "Interpolation", "Interpolace"}},
    {0, {"Copy", "Kopieren", "Copier", "Kopírovat"}},  // 10
    {0, {"Copy table", "Tabelle kopieren", "Copier le tableau", "Kopírovat tabulku"}},
    {0, {"Paste", "Einfügen", "Coller", "Vložit"}},
    {0,
     {"Increment selection or actual value", "Auswahl oder aktuellen Wert erhöhen",
      "Augmenter la sélection ou la valeur actuelle", "Zvýšit výběr nebo aktuální hodnotu"}},
    {0,
     {"Decrement selection or actual value", "Auswahl oder aktuellen Wert verringern",
      "Diminuer la sélection ou la valeur actuelle", "Snížit výběr nebo aktuální hodnotu"}},
    {0, {"View as table", "Als Tabelle anzeigen", "Afficher en tableau", "Zobrazit jako tabulku"}},
    {0, {"View as graph 2D", "Als 2D-Grafik anzeigen", "Afficher en graphique 2D", "Zobrazit jako 2D graf"}},
    {0, {"View as graph 3D", "Als 3D-Grafik anzeigen", "Afficher en graphique 3D", "Zobrazit jako 3D graf"}},
    {0,
     {"Use only this parameter for table definition", "Nur diesen Parameter für die Tabelle verwenden",
      "Utiliser seulement ce paramètre pour définir le tableau", "Pro definici tabulky použít pouze tento parametr"}},
    {0,
     {"Use both parameters for table definition", "Beide Parameter für die Tabelle verwenden",
      "Utiliser les deux paramètres pour définir le tableau", "Pro definici tabulky použít oba parametry"}},
    {0,
     {"View graph form top", "Grafik von oben anzeigen", "Vue du graphique de dessus", "Zobrazit graf shora"}},  // 20
    {0, {"View graph as ISO1", "Grafik als ISO1 anzeigen", "Vue du graphique en ISO1", "Zobrazit graf jako ISO1"}},
    {0, {"View graph as ISO2", "Grafik als ISO2 anzeigen", "Vue du graphique en ISO2", "Zobrazit graf jako ISO2"}},
    {0,
     {"Set actual value - mouse wheel", "Aktuellen Wert einstellen - Mausrad",
      "Régler la valeur actuelle - molette de la souris", "Nastavit aktuální hodnotu - kolečko myši"}},
    {0,
     {"Rotate: drag mouse (X, XY) and wheel (XYZ)   \nGraph quality: CTRL+mouse wheel   \nView values: SHIFT + mouse "
      "wheel",
      "Drehen: Maus ziehen (X, XY) und Mausrad (XYZ)   \nGrafikqualität: STRG+Mausrad   \nWerte anzeigen: SHIFT + "
      "Mausrad",
      "Rotation: glisser la souris (X, XY) et molette (XYZ)   \nQualité du graphique: CTRL+molette   \nAfficher les "
      "valeurs: SHIFT + molette",
      "Otáčení: tažení myší (X, XY) a kolečko (XYZ)   \nKvalita grafu: CTRL+kolečko myši   \nZobrazení hodnot: SHIFT + "
      "kolečko myši"}},
    {0,
     {"high graph drawing quality takes lot of CPU time", "hohe Grafikqualität braucht viel Rechenzeit",
      "une haute qualité graphique demande beaucoup de temps processeur",
      "vysoká kvalita kreslení grafu zabírá hodně času procesoru"}},
    {0, {"Position of Beginning", "Position des Anfangs", "Position du début", "Poloha začátku"}},
    {0, {"Position of Centre", "Position der Mitte", "Position du centre", "Poloha středu"}},
    {0, {"Position of End", "Position des Endes", "Position de la fin", "Poloha konce"}},
    kEmpty,
    {0,
     {"Table dimensions are not eqal and there is unable to change it !\nInsertion canceled...",
      "Die Tabellengrößen sind nicht gleich und lassen sich nicht ändern !\nEinfügen abgebrochen...",
      "Les dimensions des tableaux diffèrent et ne peuvent pas être modifiées !\nInsertion annulée...",
      "Rozměry tabulek nejsou stejné a nelze je změnit !\nVložení zrušeno..."}},  // 30
    {0,
     {"Row count is on maximum !\nDelete some first...", "Die Zeilenanzahl ist am Maximum !\nZuerst einige löschen...",
      "Le nombre de lignes est au maximum !\nSupprimez-en d'abord...",
      "Počet řádků je na maximu !\nNejprve některé smažte..."}},
    {0,
     {"Column count is on maximum !\nDelete some first...",
      "Die Spaltenanzahl ist am Maximum !\nZuerst einige löschen...",
      "Le nombre de colonnes est au maximum !\nSupprimez-en d'abord...",
      "Počet sloupců je na maximu !\nNejprve některé smažte..."}},
    kEmpty,
    {0, {"Copy", "Kopieren", "Copier", "Kopírovat"}},
    {0, {"Copy all table", "Ganze Tabelle kopieren", "Copier tout le tableau", "Kopírovat celou tabulku"}},
    {0, {"Copy graph", "Grafik kopieren", "Copier le graphique", "Kopírovat graf"}},
    {0, {"Paste", "Einfügen", "Coller", "Vložit"}},
    {0, {"Paste table", "Tabelle einfügen", "Coller le tableau", "Vložit tabulku"}},
    {0, {"Interpolate", "Interpolieren", "Interpoler", "Interpolovat"}},
    {0, {"Insert row here", "Zeile hier einfügen", "Insérer une ligne ici", "Vložit řádek sem"}},  // 40
    {0, {"Insert column here", "Spalte hier einfügen", "Insérer une colonne ici", "Vložit sloupec sem"}},
    {0, {"Delete row", "Zeile löschen", "Supprimer la ligne", "Smazat řádek"}},
    {0, {"Delete rows", "Zeilen löschen", "Supprimer les lignes", "Smazat řádky"}},
    {0, {"Delete column", "Spalte löschen", "Supprimer la colonne", "Smazat sloupec"}},
    {0, {"Delete columns", "Spalten löschen", "Supprimer les colonnes", "Smazat sloupce"}},
    {0, {"View as table", "Als Tabelle anzeigen", "Afficher en tableau", "Zobrazit jako tabulku"}},
    {0, {"View as graph 2D", "Als 2D-Grafik anzeigen", "Afficher en graphique 2D", "Zobrazit jako 2D graf"}},
    {0, {"View as graph 3D", "Als 3D-Grafik anzeigen", "Afficher en graphique 3D", "Zobrazit jako 3D graf"}},
    {0, {"Top view", "Ansicht von oben", "Vue de dessus", "Pohled shora"}},
    {0, {"ISO1 view", "ISO1-Ansicht", "Vue ISO1", "Pohled ISO1"}},  // 50
    {0, {"ISO2 view", "ISO2-Ansicht", "Vue ISO2", "Pohled ISO2"}},
    {0, {"Wire model", "Drahtmodell", "Modèle filaire", "Drátový model"}},
    {0, {"One color graph", "Einfarbige Grafik", "Graphique monochrome", "Jednobarevný graf"}},
    {0,
     {"Height colors (grain 0)", "Höhenfarben (Stufe 0)", "Couleurs selon la hauteur (grain 0)",
      "Barvy podle výšky (zrnitost 0)"}},
    {0,
     {"Height colors (grain 1)", "Höhenfarben (Stufe 1)", "Couleurs selon la hauteur (grain 1)",
      "Barvy podle výšky (zrnitost 1)"}},
    {0,
     {"Height colors (grain 2)", "Höhenfarben (Stufe 2)", "Couleurs selon la hauteur (grain 2)",
      "Barvy podle výšky (zrnitost 2)"}},
    {0,
     {"Height colors (grain 3)", "Höhenfarben (Stufe 3)", "Couleurs selon la hauteur (grain 3)",
      "Barvy podle výšky (zrnitost 3)"}},
    {0,
     {"Height colors (grain 4)", "Höhenfarben (Stufe 4)", "Couleurs selon la hauteur (grain 4)",
      "Barvy podle výšky (zrnitost 4)"}},
    {0, {"No values", "Keine Werte", "Aucune valeur", "Bez hodnot"}},
    {0, {"Only active value", "Nur aktiver Wert", "Seulement la valeur active", "Pouze aktivní hodnota"}},  // 60
    {0,
     {"Only interresting values", "Nur interessante Werte", "Seulement les valeurs intéressantes",
      "Pouze zajímavé hodnoty"}},
    {0, {"All values", "Alle Werte", "Toutes les valeurs", "Všechny hodnoty"}},
    {0,
     {"Autoscroll actual position", "Aktuelle Position automatisch verfolgen",
      "Défilement automatique vers la position actuelle", "Automaticky posouvat na aktuální polohu"}},
    {0,
     {"Disable autoscroll", "Automatisches Verfolgen aus", "Désactiver le défilement automatique",
      "Vypnout automatický posun"}},
    {0, {"Disable ", "Deaktivieren ", "Désactiver ", "Vypnout "}},
    {0, {"Enable ", "Aktivieren ", "Activer ", "Zapnout "}},
    {0, {"Use only", "Nur verwenden", "Utiliser seulement", "Použít pouze"}},
    {0, {"Use", "Verwenden", "Utiliser", "Použít"}},
    {0, {"and", "und", "et", "a"}},
    {0, {"Injection TPS united", "Einspritzung TPS gemeinsam", "Injection TPS commune", "Vstřik TPS společný"}},  // 70
    {0, {"Injection TPS", "Einspritzung TPS", "Injection TPS", "Vstřik TPS"}},
    {0, {"Inj. 1", "Einspr. 1", "Inj. 1", "Vstř. 1"}},
    {0, {"Inj. 2", "Einspr. 2", "Inj. 2", "Vstř. 2"}},
    {0, {"Inj. 3", "Einspr. 3", "Inj. 3", "Vstř. 3"}},
    {0, {"Inj. 4", "Einspr. 4", "Inj. 4", "Vstř. 4"}},
    {0, {"Inj. B", "Einspr. B", "Inj. B", "Vstř. B"}},
    {0, {"Inj. IAP", "Einspr. IAP", "Inj. IAP", "Vstř. IAP"}},
    {0, {"T", "T", "T", "T"}},
    {0, {"Position of Injection A", "Einspritzposition A", "Position d'injection A", "Poloha vstřiku A"}},
    {0, {"Position of Injection B", "Einspritzposition B", "Position d'injection B", "Poloha vstřiku B"}},  // 80
    {0, {"Intake servo", "Ansaugservo", "Servo d'admission", "Sací servo"}},
    {0, {"Exhaust servo", "Auspuffservo", "Servo d'échappement", "Výfukové servo"}},
    {0,
     {"Temperature corrections of injection", "Temperaturkorrektur der Einspritzung",
      "Corrections de température de l'injection", "Teplotní korekce vstřiku"}},
    {0,
     {"Temperature corrections of advance", "Temperaturkorrektur des Zündzeitpunkts",
      "Corrections de température de l'avance", "Teplotní korekce předstihu"}},
    {0, {"Starting corrections", "Startkorrekturen", "Corrections de démarrage", "Startovací korekce"}},
    {0,
     {"Characteristic of temperature sensors", "Kennlinie der Temperatursensoren",
      "Caractéristique des capteurs de température", "Charakteristika teplotních čidel"}},
    {0, {"Lambda sensor", "Lambdasonde", "Sonde lambda", "Lambda sonda"}},
    {0, {"Pressure sensor - AP", "Drucksensor - AP", "Capteur de pression - AP", "Čidlo tlaku - AP"}},
    {0,
     {"Intake pressure sensor - IAP", "Saugrohrdrucksensor - IAP", "Capteur de pression d'admission - IAP",
      "Čidlo tlaku v sání - IAP"}},
    {0, {"Lambda [AFR]", "Lambda [AFR]", "Lambda [AFR]", "Lambda [AFR]"}},  // 90
    {0,
     {"Idle advance RPM desired", "Leerlauf-Zündzeitpunkt Solldrehzahl", "Avance ralenti régime souhaité",
      "Předstih volnoběhu požadované otáčky"}},
    {0,
     {"Start position of intake servo", "Startposition des Ansaugservos", "Position de départ du servo d'admission",
      "Startovací poloha sacího serva"}},
    {0, {"Min. position", "Min. Position", "Position min.", "Min. poloha"}},
    {0, {"Desired RPM", "Solldrehzahl", "Régime souhaité", "Požadované otáčky"}},
    {0,
     {"TPS min [in steps of servo]", "TPS min [in Servoschritten]", "TPS min [en pas du servo]",
      "TPS min [v krocích serva]"}},
    {0, {"RPM", "U/min", "tr/min", "Otáčky"}},
    {0, {"TPS", "TPS", "TPS", "TPS"}},
    {0, {"IAP", "IAP", "IAP", "IAP"}},
    {0, {"INJ", "INJ", "INJ", "INJ"}},
    {0, {"Injection", "Einspritzung", "Injection", "Vstřik"}},  // 100
    {0, {"Advance", "Zündzeitpunkt", "Avance", "Předstih"}},
    {0, {"Position", "Position", "Position", "Poloha"}},
    {0, {"no", "nein", "non", "ne"}},
    {0, {"Voltage", "Spannung", "Tension", "Napětí"}},
    {0, {"Percentage", "Prozent", "Pourcentage", "Procenta"}},
    {0, {"for -10°C", "für -10°C", "pour -10°C", "pro -10°C"}},
    {0, {"Time", "Zeit", "Temps", "Čas"}},
    {0, {"AFR", "AFR", "AFR", "AFR"}},
    {0, {"Pressure", "Druck", "Pression", "Tlak"}},
    {0, {"Steps", "Schritte", "Pas", "Kroky"}},  // 110
    {0, {"Base advance", "Grundzündzeitpunkt", "Avance de base", "Základní předstih"}},
    {0, {"Limiter", "Begrenzer", "Limiteur", "Omezovač"}},
    {0, {"Dragging: ", "Ziehen: ", "Glisser: ", "Tažení: "}},
    {0, {"Beginning", "Anfang", "Début", "Začátek"}},
    {0, {"Centre", "Mitte", "Centre", "Střed"}},
    {0, {"End", "Ende", "Fin", "Konec"}},
    {10010, {"Coolant", "Kühlflüssigkeit", "T. moteur", "Voda"}},
    {10011, {"Cool.", "Kühl.", "Mot.", "Voda"}},
    {10020, {"Inlet Air", "Ansaugluft", "T. air", "Vzduch"}},
    {10021, {"Air", "Luft", "Air", "Vzduch"}},  // 120
    kEmpty,
};

// Controls that the parameter pages create at run time.
constexpr CLngStr kGroup4[] = {
    kNotFound,
    {0, {"Servo enable", "Servo aktiv", "Servo activé", "Servo povoleno"}},
    {0, {"Percent", "Prozent", "Pourcent", "Procenta"}},
    {0, {"Hysteresis [mV]", "Hysterese [mV]", "Hystérésis [mV]", "Hystereze [mV]"}},
    {0, {"Step motor", "Schrittmotor", "Moteur pas à pas", "Krokový motor"}},
    {0, {"Period [ms]", "Periode [ms]", "Période [ms]", "Perioda [ms]"}},
    {0, {"Excitation [us]", "Erregung [us]", "Excitation [us]", "Buzení [us]"}},
    {0, {"D off", "D aus", "D arrêt", "D vyp"}},
    {0, {"I off", "I aus", "I arrêt", "I vyp"}},
    {0, {"Base advance (°)", "Grundzündzeitpunkt (°)", "Avance de base (°)", "Základní předstih (°)"}},
    {0, {"Correction for cylinder", "Korrektur für Zylinder", "Correction par cylindre", "Korekce pro válec"}},
    {0,
     {"Inverze direction of regulation", "Regelrichtung umkehren", "Inverser le sens de régulation",
      "Obrácený směr regulace"}},
    {0,
     {"Min-Max (Minimum check)", "Min-Max (Minimumkontrolle)", "Min-Max (contrôle du minimum)",
      "Min-Max (kontrola minima)"}},
};

std::span<const CLngStr> Group(int group) {
  switch (group) {
    case 1:
      return kGroup1;
    case 2:
      return kGroup2;
    case 3:
      return kGroup3;
    case 4:
      return kGroup4;
    default:
      return {&kNotFound, 1};
  }
}
}  // namespace

std::span<const CLngStr> DictionaryGroup(int group) { return Group(group); }

int CurrentLanguage() { return g_language; }
void SetCurrentLanguage(int language) {
  g_language = (language >= 0 && language < kLanguageCount) ? language : kEnglish;
}

std::string_view CLngStr::Get(int language) const {
  const char* t = (language >= 0 && language < kLanguageCount) ? text[language] : nullptr;
  if (!t) t = text[kEnglish];
  return t ? std::string_view(t) : std::string_view();
}

const CLngStr& FindText(int group, std::string_view english) {
  const auto rows = Group(group);
  for (std::size_t i = 1; i < rows.size(); ++i) {
    const char* e = rows[i].text[kEnglish];
    if (std::string_view(e ? e : "") == english) return rows[i];
  }
  return rows[0];
}

std::string_view LookupText(int group, std::string_view english, int language) {
  return FindText(group, english).Get(language);
}

std::string_view LookupTextById(int group, std::int32_t id, int language) {
  const auto rows = Group(group);
  for (std::size_t i = 1; i < rows.size(); ++i)
    if (rows[i].id == id) return rows[i].Get(language);
  return rows[0].Get(language);
}

std::size_t Utf8Length(std::string_view text) {
  std::size_t n = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++n;  // continuation bytes belong to the character before them
  return n;
}

std::string_view LongestText(int group, std::string_view english) {
  const CLngStr& row = FindText(group, english);
  std::string_view best;
  bool found = false;
  for (const char* variant : row.text) {
    if (!variant) continue;
    const std::string_view v(variant);
    if (!found || Utf8Length(v) > Utf8Length(best)) best = v;
    found = true;
  }
  return best;
}

int LanguageFromSettings(int stored) {
  if (stored == kFrench || stored < 0 || stored >= kLanguageCount) return kEnglish;
  return stored;
}

int LanguageFromCommandLine(int current, const std::vector<std::string>& args) {
  if (args.empty()) return current;
  for (int language = 0; language < kLanguageCount; ++language)
    if (args.front() == kLanguageWords[language]) return language;
  return current;
}
