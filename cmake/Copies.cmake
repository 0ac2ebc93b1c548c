# The copies of the program: name (the name it is started by), operation
# kind (first number of its settings file), and the desktop menu's name and
# comment. The seven pupils' copies drill; REGISTRO, the teacher's, reads
# the results: its kind "-" means no settings file.
set(ARITMETICA_COPIES
  "ADDIZIONI|1|Addizioni|Addizioni in riga per la scuola primaria"
  "SOTTRAZIONI|2|Sottrazioni|Sottrazioni in riga per la scuola primaria"
  "ADDSOTTRAZIONI|3|Addizioni e sottrazioni|Addizioni e sottrazioni in riga per la scuola primaria"
  "MOLTIPLICAZIONI|4|Moltiplicazioni|Moltiplicazioni in riga per la scuola primaria"
  "DIVISIONI|5|Divisioni|Divisioni in riga per la scuola primaria"
  "MOLTDIVISIONI|6|Moltiplicazioni e divisioni|Moltiplicazioni e divisioni in riga per la scuola primaria"
  "OPERAZIONI|7|Le quattro operazioni|Le quattro operazioni in riga per la scuola primaria"
  "REGISTRO|-|Registro dei risultati|I risultati degli alunni, per l'insegnante")
