// Qt adapters for the editor control.
